#include "views/date_comment_panel.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "formats/exif_tag_update.h"
#include "formats/format_registry.h"
#include "formats/medium_info_reader.h"
#include "formats/medium_information.h"
#include "formats/shooting_date.h"
#include "framework/string_table.h"
#include "framework/text_conversion.h"
#include "framework/text_template.h"
#include "shell/message_box.h"
#include "shell/resource_modules.h"

namespace {

// Where the panel sits in the preview's control panel.
constexpr int kPanelX = 0;
constexpr int kPanelY = 3;

struct LabelRow {
    const char* key;
    int x;
    int y;
    int width;
    int height;
};
constexpr std::array<LabelRow, 8> kLabelRows = {{
    {"ZORX_PCE_Date", 10, 19, 81, 12},
    {"ZORX_PCE_Comment", 10, 47, 81, 12},
    {"ZORX_PCE_Year", 91, 7, 51, 12},
    {"ZORX_PCE_Month", 142, 7, 38, 12},
    {"ZORX_PCE_Day", 180, 7, 49, 12},
    {"ZORX_PCE_Hour", 229, 7, 39, 12},
    {"ZORX_PCE_Minute", 268, 7, 50, 12},
    {"ZORX_PCE_Second", 318, 7, 50, 12},
}};

// The date fields stand under their column labels (which end at y 19), 4 pixels narrower than
// the column so that neighbours keep a gap; both lines are 18 pixels high (the 12-pixel font
// and the frame), the comment field centred on its label.
constexpr int kFieldHeight = 18;
constexpr int kDateLineY = 21;
constexpr int kCommentLineY = 44;
// A 12-pixel font needs a line a little higher than 12 pixels: the label widgets grow by this
// much above and below the label rectangle, keeping its middle, so that no letter is cut.
constexpr int kLabelBleed = 2;

struct FieldRow {
    const char* name;
    int id;
    int x;
    int width;
    int maximum;
    int digits;
};
constexpr std::array<FieldRow, 6> kDateFieldRows = {{
    {"Year", 52032, 91, 47, 9999, 4},
    {"Month", 52033, 142, 34, 12, 2},
    {"Day", 52034, 180, 45, 31, 2},
    {"Hour", 52035, 229, 35, 23, 2},
    {"Minute", 52036, 268, 46, 59, 2},
    {"Second", 52037, 318, 46, 59, 2},
}};
constexpr FieldRow kCommentFieldRow = {"Comment", 52038, 91, 247, 0, 0};

// The comment tag holds at most 255 bytes; the field never shows more than is written.
constexpr std::size_t kMaxCommentBytes = 255;
constexpr int kJpegFormatIndex = 0;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;

const QColor kPanelColour(0xE4, 0xE9, 0xF3);

QFont PanelFont()
{
    QFont font(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

std::optional<ShootingDate> DateTimeOriginal(const TagSet& tags)
{
    const TagEntry* entry = tags.Find(TagMap::kExif, kDateTimeOriginalTag);
    if (!entry || entry->type != kTiffAscii)
        return std::nullopt;
    std::string text(entry->value.begin(), entry->value.end());
    text.erase(std::min(text.size(), text.find('\0')));
    return ParseShootingDate(text);
}

// The user may not write the file. Other failures (a file that has gone) are left to the
// writer, which reports them.
bool IsReadOnly(const std::string& path)
{
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY;
}

} // namespace

DateCommentPanel::DateCommentPanel(QWidget* parent)
    : QWidget(parent)
    , m_background(LoadResourceBitmap("BMP_PREVIEW_EDIT_PANEL"))
{
    setGeometry(kPanelX, kPanelY, kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QFont font = PanelFont();
    setFont(font);

    for (const LabelRow& row : kLabelRows) {
        auto* label = new QLabel(QString::fromStdString(GetText(row.key)), this);
        label->setObjectName(row.key);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setGeometry(row.x, row.y - kLabelBleed, row.width, row.height + 2 * kLabelBleed);
    }

    for (int i = 0; i < kDateFieldCount; ++i) {
        const FieldRow& row = kDateFieldRows[i];
        auto* field = new QLineEdit(this);
        field->setObjectName(row.name);
        field->setProperty("id", row.id);
        field->setFont(font);
        field->setGeometry(row.x, kDateLineY, row.width, kFieldHeight);
        // Digits only: no sign, no blanks, no other scripts' digits.
        const QRegularExpression digits(QStringLiteral("[0-9]{0,%1}").arg(row.digits));
        field->setValidator(new QRegularExpressionValidator(digits, field));
        connect(field, &QLineEdit::textChanged, this, [this, i] { ApplyLimit(i); });
        m_dateFields[i] = field;
    }
    m_commentField = new QLineEdit(this);
    m_commentField->setObjectName(kCommentFieldRow.name);
    m_commentField->setProperty("id", kCommentFieldRow.id);
    m_commentField->setFont(font);
    m_commentField->setGeometry(kCommentFieldRow.x, kCommentLineY, kCommentFieldRow.width, kFieldHeight);
    connect(m_commentField, &QLineEdit::textChanged, this, [this] { CutComment(); });

    Load({});
}

void DateCommentPanel::Load(const std::string& path)
{
    m_loadedPath = path;
    m_editable = false;
    Values values;
    // Only JPEG pictures with Exif data are changed in place.
    if (!path.empty() && FormatIndexOfPath(path) == kJpegFormatIndex) {
        const FileMetadata metadata = ReadFileMetadata(path);
        if (metadata.error == 0 && metadata.hasExif) {
            m_editable = true;
            if (const std::optional<ShootingDate> date = DateTimeOriginal(metadata.tags)) {
                values.date = {date->year, date->month, date->day, date->hour, date->minute, date->second};
            }
            values.comment = UserCommentOf(metadata.tags);
        }
    }
    ShowValues(values);
    for (QLineEdit* field : m_dateFields)
        field->setEnabled(m_editable);
    m_commentField->setEnabled(m_editable);
    // What the fields show after their limits and the comment's cut is what counts as loaded,
    // so that an untouched panel never writes.
    m_loaded = FieldValues();
}

bool DateCommentPanel::Commit()
{
    if (!m_editable || m_loadedPath.empty())
        return false;
    const Values current = FieldValues();
    if (current == m_loaded)
        return false;

    PictureTagChange change;
    if (current.date != m_loaded.date) {
        ShootingDate date;
        int* const parts[kDateFieldCount]
            = {&date.year, &date.month, &date.day, &date.hour, &date.minute, &date.second};
        bool complete = true;
        for (int i = 0; i < kDateFieldCount; ++i) {
            complete = complete && current.date[i].has_value();
            *parts[i] = current.date[i].value_or(-1);
        }
        if (!complete || !IsValidShootingDate(date)) {
            ShowMessage(MessageKind::Error, GetText("ZORX_CanNotChangeDateTime"));
            return false;
        }
        change.dateTimeOriginal = FormatShootingDate(date);
    }
    if (current.comment != m_loaded.comment)
        change.comment = current.comment;

    if (IsReadOnly(m_loadedPath)) {
        ShowMessage(MessageKind::Warning, GetText("ZORX_FileIsLocked"));
        ShowValues(m_loaded);
        return false;
    }
    const TagUpdateResult result = UpdatePictureTags(m_loadedPath, change);
    if (result == TagUpdateResult::ReadOnly) {
        ShowMessage(MessageKind::Warning, GetText("ZORX_FileIsLocked"));
        ShowValues(m_loaded);
        return false;
    }
    if (result != TagUpdateResult::Ok) {
        ShowMessage(MessageKind::Error,
                    FillTemplate(GetText("ZORX_CanNotWriteDateComment"), {TagUpdateResultText(result)}));
        ShowValues(m_loaded);
        return false;
    }
    const std::string path = m_loadedPath;
    Load(path);
    emit pictureRewritten(QString::fromStdString(path));
    return true;
}

void DateCommentPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPanelColour);
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
}

void DateCommentPanel::ApplyLimit(int field)
{
    const FieldRow& row = kDateFieldRows[field];
    bool isNumber = false;
    const int value = m_dateFields[field]->text().toInt(&isNumber);
    if (isNumber && value > row.maximum)
        m_dateFields[field]->setText(QString::number(row.maximum));
}

void DateCommentPanel::CutComment()
{
    const QByteArray text = m_commentField->text().toUtf8();
    if (static_cast<std::size_t>(text.size()) <= kMaxCommentBytes)
        return;
    const std::string full = text.toStdString();
    const std::string cut(CutUtf8(full, kMaxCommentBytes));
    m_commentField->setText(QString::fromStdString(cut));
}

DateCommentPanel::Values DateCommentPanel::FieldValues() const
{
    Values values;
    for (int i = 0; i < kDateFieldCount; ++i) {
        bool isNumber = false;
        const int value = m_dateFields[i]->text().toInt(&isNumber);
        if (isNumber)
            values.date[i] = value;
    }
    values.comment = m_commentField->text().toStdString();
    return values;
}

void DateCommentPanel::ShowValues(const Values& values)
{
    for (int i = 0; i < kDateFieldCount; ++i)
        m_dateFields[i]->setText(values.date[i] ? QString::number(*values.date[i]) : QString());
    m_commentField->setText(QString::fromStdString(values.comment));
}

void DateCommentPanel::ShowMessage(MessageKind kind, const std::string& text)
{
    if (m_showMessage) {
        m_showMessage(kind, text);
        return;
    }
    if (kind == MessageKind::Error)
        ShowErrorText(window(), text);
    else
        ConfirmWarningText(window(), text);
}
