#include "app/desktop/CExportDlg.h"

#include "app/CExportApp.h"
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

#include <optional>

namespace {

namespace id = settingschema::id;
using settingschema::Kind;
using settingschema::Setting;

std::string Bytes(const QString& text);

// Refuses an edit that would make a layer name longer than the limit. Text set by the program
// (a longer stored name) is not checked here but when the values are taken.
class LayerNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        return Bytes(input).size() <= settingschema::kMaxLayerName ? Acceptable : Invalid;
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
    m_settings.Load(
        m_store, [this](const char* key, const char* fallback) { return m_language.GetText(key, fallback); });
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
    static_cast<QLabel*>(Control(id::kVersion))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Frames stay behind the controls they surround, whatever their place in the tab order.
    for (const auto& [number, widget] : m_controls)
        if (qobject_cast<QGroupBox*>(widget) != nullptr)
            widget->lower();
    // As a Windows group box draws it: the frame's top line runs through the middle of the
    // title, which hides the line behind it. The template places the controls for that frame;
    // a title above the frame would push the line onto the label columns' headings.
    const int halfTitle = fontMetrics().height() / 2;
    setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 0px; "
                       "margin-top: %1px; padding-top: 0px; }"
                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; "
                       "left: %2px; padding: 0px 2px; background-color: palette(window); }")
            .arg(halfTitle)
            .arg(Units(4, 0, 0, 0).x()));

    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    // The limit holds for typing; a longer stored name is shown whole until it is shortened.
    auto* layerLimit = new LayerNameValidator(this);
    for (const Setting& setting : settingschema::kSettings) {
        if (!setting.OnDialog())
            continue;
        QWidget* control = Control(setting.control);
        switch (setting.kind) {
        case Kind::Choice: {
            // Each pair of radio buttons is a group of its own: they share the dialog as parent.
            auto* group = new QButtonGroup(this);
            group->addButton(static_cast<QRadioButton*>(control), 0);
            group->addButton(static_cast<QRadioButton*>(Control(setting.secondControl)), 1);
            break;
        }
        case Kind::LayerName:
            static_cast<QLineEdit*>(control)->setValidator(layerLimit);
            break;
        case Kind::Decimals:
            static_cast<QLineEdit*>(control)->setValidator(digits);
            control->installEventFilter(this);
            break;
        case Kind::SymbolSize:
            control->installEventFilter(this);
            break;
        case Kind::Switch:
        case Kind::Colour:
        case Kind::Spacing:
            break;
        }
    }

    auto* ok = static_cast<QPushButton*>(Control(id::kOk));
    auto* cancel = static_cast<QPushButton*>(Control(id::kCancel));
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
        for (const Setting& setting : settingschema::kSettings)
            if (setting.kind == Kind::Colour && setting.OnDialog())
                static_cast<QComboBox*>(Control(setting.control))->addItem(name);
    }
}

void CExportDlg::PushValues() {
    exportdlg::PushValues(m_settings, *this);
}

bool CExportDlg::TakeValues() {
    m_validating = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_validating};
    return exportdlg::TakeValues(m_settings, *this, m_language);
}

bool CExportDlg::Checked(int id) const {
    return static_cast<QAbstractButton*>(Control(id))->isChecked();
}

void CExportDlg::SetChecked(int id, bool on) {
    // Checking one radio button of a pair unchecks the other; unchecking one alone does nothing.
    static_cast<QAbstractButton*>(Control(id))->setChecked(on);
}

std::string CExportDlg::Text(int id, settingschema::Kind kind) const {
    const QString text = static_cast<QLineEdit*>(Control(id))->text();
    return kind == Kind::LayerName ? Bytes(text) : text.toStdString();
}

void CExportDlg::SetText(int id, settingschema::Kind kind, const std::string& text) {
    static_cast<QLineEdit*>(Control(id))
        ->setText(kind == Kind::LayerName ? Local(text) : QString::fromStdString(text));
}

int CExportDlg::Selection(int id) const {
    return static_cast<QComboBox*>(Control(id))->currentIndex();
}

void CExportDlg::SetSelection(int id, int index) {
    static_cast<QComboBox*>(Control(id))->setCurrentIndex(index);
}

void CExportDlg::Refuse(int id, const std::string& message) {
    m_message(this, windowTitle(), Local(message));
    QWidget* control = Control(id);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
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
    if (m_exporting || !TakeValues())
        return;
    m_exporting = true;
    m_gaveUp = false;
    const QString title = windowTitle();
    const auto waiting = [this, &title](std::chrono::milliseconds waited) {
        // Said after a second, as a short wait is no news.
        const QString text =
            title + QStringLiteral(" - ") + Local(exportdlg::WaitingText(m_language, m_files->OutputPath()));
        if (waited >= std::chrono::seconds(1) && windowTitle() != text)
            setWindowTitle(text);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 40);
        return !m_gaveUp;
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto askReplace = [this](const std::string& path) {
        QApplication::restoreOverrideCursor();
        const bool yes = m_ask(this, windowTitle(), Local(exportdlg::ReplaceQuestion(m_language, path)));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return yes;
    };
    const exportdlg::ExportOutcome outcome = exportdlg::RunExport(
        m_settings, m_store, *m_files, std::make_unique<QtProgressDisplay>(this), askReplace, waiting);
    QApplication::restoreOverrideCursor();
    setWindowTitle(title);
    m_exporting = false;
    if (!outcome.error.empty())
        m_message(this, Local(exportdlg::ErrorCaption(m_language)), Local(outcome.error));
    if (outcome.done) {
        // Said before the dialog closes: where a drawing of its own went, and what the drawing
        // holds in place of values it could not take.
        if (const std::string closing = exportdlg::ClosingText(m_language, outcome); !closing.empty())
            m_message(this, windowTitle(), Local(closing));
        done(CExportApp::RESULT_OK);
    }
}

void CExportDlg::SetFiles(const std::string& tempPath, const std::string& inputPath) {
    m_ownFiles = ExportFiles(tempPath, inputPath, {}, m_language);
    SetFiles(m_ownFiles);
}

void CExportDlg::SetFiles(ExportFiles& files) {
    m_files = &files;
    setWindowTitle(Local(exportdlg::WindowTitle(m_language.GetText("WND_CAPTION", "DXF Export"), files)));
}

void CExportDlg::reject() {
    // While OK waits for another program, Cancel gives up the wait; the dialog stays.
    if (m_exporting) {
        m_gaveUp = true;
        return;
    }
    done(CExportApp::RESULT_CANCEL);
}
