#include "app/desktop/CExportDlg.h"

#include "app/ExportDlgLogic.h"
#include "app/ExportDlgTemplate.h"
#include "app/desktop/QtProgressDisplay.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {

std::string Bytes(const QString& text);

// Refuses an edit that would make a layer name longer than the limit. Text set by the program
// (a longer stored name) is not checked here but when the values are taken.
class LayerNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        return Bytes(input).size() <= exportdlg::kMaxLayerName ? Acceptable : Invalid;
    }
};

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
std::string Bytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// The program's icon: a survey triangle, drawn so that no image file has to travel with it.
QIcon MakeIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 90, 160), 2.5));
    painter.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(29, 27), QPointF(3, 27)}));
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QPointF(16, 19), 3.5, 3.5);
    painter.end();
    return {pixmap};
}

} // namespace

CExportDlg::CExportDlg(const std::string& programDirectory, ISettingsStore& store, MessageBox message)
    : QDialog(nullptr), m_language(programDirectory), m_hIcon(MakeIcon()), m_store(store),
      m_message(std::move(message)) {
    if (!m_message) {
        m_message = [](QWidget* parent, const QString& title, const QString& text) {
            QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
            box.setTextFormat(Qt::PlainText); // paths and language texts are never markup
            box.exec();
        };
    }
    m_ask = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    m_settings.m_bLayerPerCode = 1;
    // Dialog units from the dialog font, as Windows derives them: 4 x 8 units per base unit.
    const QFontMetrics metrics(font());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (metrics.horizontalAdvance(alphabet) + 26) / 52;
    m_baseY = metrics.height();
    BuildControls();

    // Initialisation: caption, texts, icon, colour lists, stored settings, controls.
    setWindowTitle(Local(m_language.GetText("WND_CAPTION", "DXF Export")));
    ApplyTexts();
    setWindowIcon(m_hIcon);
    FillColourLists();
    ExportSettings::LayerDefaults defaults;
    defaults.pointId = m_language.GetText("POINT_ID_NAME", "PointID");
    defaults.eastNorth = m_language.GetText("E_N_NAME", "Coords");
    defaults.height = m_language.GetText("H_NAME", "Height");
    defaults.code = m_language.GetText("CODE_NAME", "Code");
    m_settings.Load(m_store, defaults);
    PushValues();
}

QRect CExportDlg::Units(int x, int y, int width, int height) const {
    return {x * m_baseX / 4, y * m_baseY / 8, width * m_baseX / 4, height * m_baseY / 8};
}

QWidget* CExportDlg::Control(int id) const {
    const auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

QWidget* CExportDlg::MakeControl(const exportdlg::ControlSpec& spec) {
    using exportdlg::ControlKind;
    const QString text = QString::fromLatin1(spec.text);
    switch (spec.kind) {
    case ControlKind::Check:
        return new QCheckBox(text, this);
    case ControlKind::Group:
        return new QGroupBox(text, this);
    case ControlKind::Radio:
        return new QRadioButton(text, this);
    case ControlKind::Edit:
        return new QLineEdit(this);
    case ControlKind::List: {
        auto* combo = new QComboBox(this); // the template's height includes the open list
        combo->setMaxVisibleItems(7);
        return combo;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText); // a language text like "<b>Layer</b>" is shown as written
        return label;
    }
    case ControlKind::Button:
        return new QPushButton(text, this);
    }
    return nullptr;
}

void CExportDlg::BuildControls() {
    setFixedSize(Units(0, 0, exportdlg::kWidth, exportdlg::kHeight).size());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QWidget* previous = nullptr;
    for (const exportdlg::ControlSpec& spec : exportdlg::kControls) {
        QWidget* widget = MakeControl(spec);
        const int height = spec.kind == exportdlg::ControlKind::List ? 14 : spec.height;
        widget->setGeometry(Units(spec.x, spec.y, spec.width, height));
        widget->setObjectName(QStringLiteral("ctl%1").arg(spec.id));
        m_controls[spec.id] = widget;
        // The template's order is the tab order of the controls that take the focus.
        if (spec.kind != exportdlg::ControlKind::Group && spec.kind != exportdlg::ControlKind::Label) {
            if (previous != nullptr)
                setTabOrder(previous, widget);
            previous = widget;
        }
    }
    for (std::size_t row = 0; row < 4; ++row) {
        m_labelBoxes[row] = static_cast<QCheckBox*>(Control(exportdlg::kLabelRows[row][0]));
        m_layerEdits[row] = static_cast<QLineEdit*>(Control(exportdlg::kLabelRows[row][1]));
        m_cbColour[row] = static_cast<QComboBox*>(Control(exportdlg::kLabelRows[row][2]));
    }
    static_cast<QLabel*>(Control(1038))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Frames stay behind the controls they surround, whatever their place in the tab order.
    for (const auto& [id, widget] : m_controls)
        if (qobject_cast<QGroupBox*>(widget) != nullptr)
            widget->lower();

    auto* dim2d = static_cast<QRadioButton*>(Control(1009));
    auto* dim3d = static_cast<QRadioButton*>(Control(1010));
    auto* lines = static_cast<QRadioButton*>(Control(1011));
    auto* polylines = static_cast<QRadioButton*>(Control(1013));
    auto* ok = static_cast<QPushButton*>(Control(1));
    auto* cancel = static_cast<QPushButton*>(Control(2));
    m_dimension = new QButtonGroup(this);
    m_dimension->addButton(dim2d, 0);
    m_dimension->addButton(dim3d, 1);
    m_lineExport = new QButtonGroup(this);
    m_lineExport->addButton(lines, 0);
    m_lineExport->addButton(polylines, 1);

    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    static_cast<QLineEdit*>(Control(1027))->setValidator(digits);
    static_cast<QLineEdit*>(Control(1028))->setValidator(digits);
    // The limit holds for typing; a longer stored name is shown whole until it is shortened.
    auto* layerLimit = new LayerNameValidator(this);
    for (QLineEdit* layerEdit : m_layerEdits)
        layerEdit->setValidator(layerLimit);
    for (const int id : {1033, 1027, 1028})
        Control(id)->installEventFilter(this);

    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &CExportDlg::RunExport);
    connect(cancel, &QPushButton::clicked, this, &CExportDlg::reject);
}

void CExportDlg::ApplyTexts() {
    for (const auto& [key, id] : exportdlg::kTextKeys) {
        const std::string text = m_language.GetText(key, "");
        if (text.empty())
            continue;
        QWidget* control = Control(id);
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(Local(text));
        else if (auto* box = qobject_cast<QGroupBox*>(control))
            box->setTitle(Local(text));
        else if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(Local(text));
    }
}

void CExportDlg::FillColourLists() {
    for (const auto& [key, fallback] : exportdlg::kColours) {
        const QString name = Local(m_language.GetText(key, fallback));
        for (QComboBox* list : m_cbColour)
            list->addItem(name);
    }
}

void CExportDlg::PushValues() {
    const ExportSettings& s = m_settings;
    static_cast<QCheckBox*>(Control(1000))->setChecked(s.m_bExportPoints != 0);
    static_cast<QCheckBox*>(Control(1002))->setChecked(s.m_bExportLines != 0);
    static_cast<QCheckBox*>(Control(1003))->setChecked(s.m_bExportAreas != 0);
    static_cast<QCheckBox*>(Control(1001))->setChecked(s.m_bExportSymbols != 0);
    static_cast<QCheckBox*>(Control(1012))->setChecked(s.m_bLayerPerCode != 0);
    if (QAbstractButton* b = m_dimension->button(s.m_nDimension))
        b->setChecked(true);
    if (QAbstractButton* b = m_lineExport->button(s.m_nLineExport))
        b->setChecked(true);
    const std::array<int, 4> labels = {s.m_bLabelPointId, s.m_bLabelEastNorth, s.m_bLabelHeight,
                                       s.m_bLabelCode};
    const std::array<const std::string*, 4> names = {&s.m_strLayerPointId, &s.m_strLayerEastNorth,
                                                     &s.m_strLayerHeight, &s.m_strLayerCode};
    const std::array<int, 4> colours = {s.m_nColourPointId, s.m_nColourEastNorth, s.m_nColourHeight,
                                        s.m_nColourCode};
    for (std::size_t i = 0; i < 4; ++i) {
        m_labelBoxes[i]->setChecked(labels[i] != 0);
        m_layerEdits[i]->setText(Local(*names[i]));
        m_cbColour[i]->setCurrentIndex(colours[i]);
    }
    static_cast<QLineEdit*>(Control(1027))->setText(QString::number(s.m_nDecimalsEN));
    static_cast<QLineEdit*>(Control(1028))->setText(QString::number(s.m_nDecimalsH));
    static_cast<QLineEdit*>(Control(1033))
        ->setText(QString::fromStdString(exportdlg::SymbolSizeText(s.m_fSymbolSize)));
}

bool CExportDlg::Fail(QWidget* control, const QString& text) {
    m_message(this, windowTitle(), text);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    return false;
}

bool CExportDlg::TakeValues() {
    m_validating = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_validating};

    ExportSettings& s = m_settings;
    s.m_bExportPoints = static_cast<QCheckBox*>(Control(1000))->isChecked() ? 1 : 0;
    s.m_bExportLines = static_cast<QCheckBox*>(Control(1002))->isChecked() ? 1 : 0;
    s.m_bExportAreas = static_cast<QCheckBox*>(Control(1003))->isChecked() ? 1 : 0;
    s.m_bLayerPerCode = static_cast<QCheckBox*>(Control(1012))->isChecked() ? 1 : 0;
    s.m_bExportSymbols = static_cast<QCheckBox*>(Control(1001))->isChecked() ? 1 : 0;
    s.m_nDimension = m_dimension->checkedId() >= 0 ? m_dimension->checkedId() : s.m_nDimension;
    s.m_nLineExport = m_lineExport->checkedId() >= 0 ? m_lineExport->checkedId() : s.m_nLineExport;
    s.m_bLabelPointId = m_labelBoxes[0]->isChecked() ? 1 : 0;
    s.m_bLabelEastNorth = m_labelBoxes[1]->isChecked() ? 1 : 0;
    s.m_bLabelHeight = m_labelBoxes[2]->isChecked() ? 1 : 0;
    s.m_bLabelCode = m_labelBoxes[3]->isChecked() ? 1 : 0;

    // Each layer name is checked right after it is taken, so the focus goes to its own edit.
    const std::array<std::string*, 4> names = {&s.m_strLayerPointId, &s.m_strLayerEastNorth,
                                               &s.m_strLayerHeight, &s.m_strLayerCode};
    for (const std::size_t i : {0U, 1U, 2U, 3U}) {
        *names[i] = Bytes(m_layerEdits[i]->text());
        if (const auto message = exportdlg::CheckLayerName(*names[i]))
            return Fail(m_layerEdits[i], Local(*message));
    }
    const std::pair<int, int*> numbers[] = {{1027, &s.m_nDecimalsEN}, {1028, &s.m_nDecimalsH}};
    for (const auto& [id, target] : numbers)
        if (const auto message = exportdlg::TakeDecimals(Text(id), *target))
            return Fail(Control(id), Local(*message));
    if (const auto message = exportdlg::TakeSymbolSize(Text(1033), s.m_fSymbolSize))
        return Fail(Control(1033), Local(*message));

    s.m_nColourPointId = m_cbColour[0]->currentIndex();
    s.m_nColourEastNorth = m_cbColour[1]->currentIndex();
    s.m_nColourHeight = m_cbColour[2]->currentIndex();
    s.m_nColourCode = m_cbColour[3]->currentIndex();
    return true;
}

bool CExportDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_validating) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the edit within the dialog checks the values at once; a window switch does not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            TakeValues();
    }
    return QDialog::eventFilter(watched, event);
}

void CExportDlg::RunExport() {
    if (!TakeValues())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto askReplace = [this](const std::string& path) {
        QApplication::restoreOverrideCursor();
        const bool yes = m_ask(this, windowTitle(), Local(exportdlg::ReplaceQuestion(path)));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return yes;
    };
    const exportdlg::ExportOutcome outcome = exportdlg::RunExport(
        m_settings, m_store, *m_files, std::make_unique<QtProgressDisplay>(this), askReplace);
    QApplication::restoreOverrideCursor();
    if (!outcome.error.empty())
        m_message(this, QStringLiteral("Error"), Local(outcome.error));
    if (outcome.done)
        done(RESULT_OK);
}

std::string CExportDlg::Text(int id) const {
    return static_cast<QLineEdit*>(Control(id))->text().toStdString();
}

void CExportDlg::SetFiles(const std::string& tempPath, const std::string& inputPath) {
    m_ownFiles = ExportFiles(tempPath, inputPath);
    SetFiles(m_ownFiles);
}

void CExportDlg::SetFiles(ExportFiles& files) {
    m_files = &files;
    setWindowTitle(Local(exportdlg::WindowTitle(m_language.GetText("WND_CAPTION", "DXF Export"), files)));
    m_language.m_strTempPath = files.TempPath();
    m_language.m_strInputPath = files.InputPath();
}

void CExportDlg::reject() {
    done(RESULT_CANCEL);
}
