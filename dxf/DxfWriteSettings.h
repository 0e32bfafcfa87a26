#pragma once

#include "common/CodePage.h"

#include <cstdint>

// What the drawing's text is written with.
struct DxfWriteSettings {
    double symbolScale = 0.0;   // $LTSCALE and $PDSIZE; $TEXTSIZE is twice this
    std::uint8_t pointMode = 0; // $PDMODE
    std::uint8_t decimals = 6;  // digits after the point of every real written
    bool inputIsUtf8 = false;   // the texts from the input are UTF-8 (TextStream::SetInputIsUtf8)
    // Declared as "$DWGCODEPAGE", and the page UTF-8 texts are written in; null: none declared,
    // so readers take Windows-1252.
    const codepage::Page* codePage = nullptr;
    // The entities carry extended data: its applications are registered (the APPID table).
    bool extendedData = false;
};
