#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "formats/exif_tag_update.h"
#include "formats/medium_info_reader.h"
#include "formats/medium_information.h"
#include "framework/string_table.h"
#include "framework/text_template.h"
#include "library/dib_image.h"
#include "media_writers/exif_builder.h"
#include "media_writers/jpeg_writer.h"
#include "shell/resource_modules.h"
#include "views/date_comment_panel.h"

namespace {

using MessageKind = DateCommentPanel::MessageKind;

struct Message {
    MessageKind kind;
    std::string text;
};

// A real, decodable camera picture: the maker's Exif block (shot 2006:03:14 09:26:53) with an
// ASCII comment.
ExifBuilder CameraPicture(std::string_view commentField = std::string_view("ASCII\0\0\0Holiday", 15))
{
    ExifBuilder exif = CameraExif(Endian::kLittle);
    exif.exif.Undefined(0x9286, commentField);
    return exif;
}

std::string WritePicture(const Sandbox& sandbox, const std::string& name, const ExifBuilder& exif)
{
    const Bytes jpeg = WithExif(EncodeJpeg(QuadrantPicture(64, 48), {90, false}), exif.Build().bytes);
    return sandbox.WriteFile(name, AsText(jpeg));
}

struct Stored {
    std::string date;
    std::string comment;
    std::vector<std::uint8_t> rawComment;
};

Stored ReadBack(const std::string& path)
{
    const FileMetadata metadata = ReadFileMetadata(path);
    Stored stored;
    if (const TagEntry* date = metadata.tags.Find(TagMap::kExif, 0x9003)) {
        stored.date.assign(date->value.begin(), date->value.end());
        stored.date.erase(std::min(stored.date.size(), stored.date.find('\0')));
    }
    if (const TagEntry* comment = metadata.tags.Find(TagMap::kExif, 0x9286))
        stored.rawComment = comment->value;
    stored.comment = UserCommentOf(metadata.tags);
    return stored;
}

timespec ModificationTime(const std::string& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mtim;
}

struct DateCommentPanelTest : ::testing::Test {
    Sandbox sandbox;
    std::unique_ptr<DateCommentPanel> panel;
    std::vector<Message> messages;
    std::string picture;

    void SetUp() override
    {
        ASSERT_EQ(LoadStringFile(VISTREL_SOURCE_DIR "/resources/strings/ZORStr.frs"), 1);
        panel = std::make_unique<DateCommentPanel>();
        panel->SetMessageFunction([this](MessageKind kind, const std::string& text) {
            messages.push_back({kind, text});
        });
        panel->show();
        picture = WritePicture(sandbox, "DSCF0001.JPG", CameraPicture());
    }

    QLineEdit* Field(const char* name) const { return panel->findChild<QLineEdit*>(name); }
    QString Text(const char* name) const { return Field(name)->text(); }

    // Replaces a field's text by typing, as the user does (through the field's validator).
    void Type(const char* name, const QString& text) const
    {
        QLineEdit* field = Field(name);
        field->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(field, Qt::Key_Delete);
            return;
        }
        // Key events that carry their character, so that any script can be typed.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &release);
        }
    }

    void TypeDate(int year, int month, int day, int hour, int minute, int second) const
    {
        const char* names[] = {"Year", "Month", "Day", "Hour", "Minute", "Second"};
        const int values[] = {year, month, day, hour, minute, second};
        for (int i = 0; i < 6; ++i)
            Type(names[i], QString::number(values[i]));
    }

    bool RefusedDate() const
    {
        return messages.size() == 1 && messages[0].kind == MessageKind::Error
            && messages[0].text == GetText("ZORX_CanNotChangeDateTime");
    }
};

} // namespace

TEST_F(DateCommentPanelTest, LabelsAndFieldsSitAtTheirPlacesInTheTwelvePixelFont)
{
    EXPECT_EQ(panel->geometry(), QRect(0, 3, 437, 87));
    struct LabelPlace {
        const char* key;
        QRect rect;
    };
    const LabelPlace labels[] = {
        {"ZORX_PCE_Date", {10, 19, 81, 12}},   {"ZORX_PCE_Comment", {10, 47, 81, 12}},
        {"ZORX_PCE_Year", {91, 7, 51, 12}},    {"ZORX_PCE_Month", {142, 7, 38, 12}},
        {"ZORX_PCE_Day", {180, 7, 49, 12}},    {"ZORX_PCE_Hour", {229, 7, 39, 12}},
        {"ZORX_PCE_Minute", {268, 7, 50, 12}}, {"ZORX_PCE_Second", {318, 7, 50, 12}},
    };
    for (const LabelPlace& place : labels) {
        const auto* label = panel->findChild<QLabel*>(place.key);
        ASSERT_NE(label, nullptr) << place.key;
        // The widget reaches 2 pixels past the rectangle above and below, so no letter is cut.
        EXPECT_EQ(label->geometry(), place.rect.adjusted(0, -2, 0, 2)) << place.key;
        EXPECT_FALSE(GetText(place.key).empty()) << place.key;
        EXPECT_EQ(label->text().toStdString(), GetText(place.key));
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_FALSE(label->wordWrap());
        EXPECT_TRUE(label->alignment() & Qt::AlignLeft);
        EXPECT_EQ(label->font().pixelSize(), 12);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    struct FieldPlace {
        const char* name;
        int id;
        QRect rect;
    };
    const FieldPlace fields[] = {
        {"Year", 52032, {91, 21, 47, 18}},     {"Month", 52033, {142, 21, 34, 18}},
        {"Day", 52034, {180, 21, 45, 18}},     {"Hour", 52035, {229, 21, 35, 18}},
        {"Minute", 52036, {268, 21, 46, 18}},  {"Second", 52037, {318, 21, 46, 18}},
        {"Comment", 52038, {91, 44, 247, 18}},
    };
    for (const FieldPlace& place : fields) {
        const QLineEdit* field = Field(place.name);
        ASSERT_NE(field, nullptr) << place.name;
        EXPECT_EQ(field->property("id").toInt(), place.id) << place.name;
        EXPECT_EQ(field->geometry(), place.rect) << place.name;
        EXPECT_EQ(field->font().pixelSize(), 12);
    }
    // Each date field stays inside its label's column, below the column labels.
    EXPECT_GE(Field("Year")->geometry().top(), 7 + 12);
    EXPECT_LT(Field("Year")->geometry().right(), 142);
    EXPECT_LT(Field("Second")->geometry().right(), 368);
}

TEST_F(DateCommentPanelTest, PaintsThePanelColourUnderItsBitmap)
{
    const QImage shot = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The resource module may or may not be registered in this run; either way the bitmap,
    // when there is one, lies at (0, 0) over the control panel colour.
    QImage expected(shot.size(), QImage::Format_RGB32);
    expected.fill(QColor(0xE4, 0xE9, 0xF3));
    const QPixmap bitmap = LoadResourceBitmap("BMP_PREVIEW_EDIT_PANEL");
    if (!bitmap.isNull()) {
        QPainter painter(&expected);
        painter.drawPixmap(0, 0, bitmap);
    }
    // Points that no label or field covers.
    for (const QPoint point : {QPoint(2, 2), QPoint(5, 80), QPoint(400, 40), QPoint(436, 86)})
        EXPECT_EQ(shot.pixelColor(point), expected.pixelColor(point)) << point.x() << "," << point.y();
    if (bitmap.isNull()) {
        EXPECT_EQ(shot.pixelColor(5, 80), QColor(0xE4, 0xE9, 0xF3));
    }
}

TEST_F(DateCommentPanelTest, LoadsThePicturesDateAndCommentOrDisablesTheFields)
{
    panel->Load(picture);
    EXPECT_EQ(panel->LoadedPath(), picture);
    EXPECT_EQ(Text("Year"), "2006");
    EXPECT_EQ(Text("Month"), "3");
    EXPECT_EQ(Text("Day"), "14");
    EXPECT_EQ(Text("Hour"), "9");
    EXPECT_EQ(Text("Minute"), "26");
    EXPECT_EQ(Text("Second"), "53");
    EXPECT_EQ(Text("Comment"), "Holiday");
    EXPECT_TRUE(Field("Year")->isEnabled());
    EXPECT_TRUE(Field("Comment")->isEnabled());

    const std::string plainJpeg
        = sandbox.WriteFile("plain.jpg", AsText(EncodeJpeg(QuadrantPicture(32, 24), {90, true})));
    const std::string bmp = sandbox.WriteFile("picture.bmp", "BM not really");
    for (const std::string& path : {std::string(), sandbox.MakeFolder("album.jpg"), plainJpeg, bmp}) {
        panel->Load(path);
        EXPECT_EQ(panel->LoadedPath(), path);
        for (const char* name : {"Year", "Month", "Day", "Hour", "Minute", "Second", "Comment"}) {
            EXPECT_TRUE(Text(name).isEmpty()) << path << " " << name;
            EXPECT_FALSE(Field(name)->isEnabled()) << path << " " << name;
        }
        EXPECT_FALSE(panel->Commit()) << path;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(DateCommentPanelTest, FieldsAcceptDigitsOnlyAndAreCappedAtTheirMaximum)
{
    panel->Load(picture);
    Type("Month", "13");
    EXPECT_EQ(Text("Month"), "12");
    Type("Day", "32");
    EXPECT_EQ(Text("Day"), "31");
    Type("Hour", "24");
    EXPECT_EQ(Text("Hour"), "23");
    Type("Minute", "75");
    EXPECT_EQ(Text("Minute"), "59");
    Type("Second", "60");
    EXPECT_EQ(Text("Second"), "59");
    Type("Year", "20261"); // the year has four digits at most
    EXPECT_EQ(Text("Year"), "2026");
    // Text set by code is capped as well.
    Field("Day")->setText("45");
    EXPECT_EQ(Text("Day"), "31");

    Type("Month", "-1");
    EXPECT_EQ(Text("Month"), "1");
    Type("Day", "+7");
    EXPECT_EQ(Text("Day"), "7");
    Type("Hour", "1 2");
    EXPECT_EQ(Text("Hour"), "12");
    Type("Minute", "x5");
    EXPECT_EQ(Text("Minute"), "5");
    Type("Second", QString::fromUtf8("\u0663")); // ARABIC-INDIC DIGIT THREE, refused
    EXPECT_EQ(Text("Second"), "59");
}

TEST_F(DateCommentPanelTest, UnchangedValuesWriteNothing)
{
    const std::string before = ReadTextFile(picture);
    const timespec modified = ModificationTime(picture);
    panel->Load(picture);
    EXPECT_FALSE(panel->Commit());

    // Changed and changed back, or the same number with a leading zero: still the loaded values.
    Type("Month", "4");
    Type("Month", "03");
    Type("Comment", "Other");
    Type("Comment", "Holiday");
    EXPECT_FALSE(panel->Commit());

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadTextFile(picture), before);
    const timespec after = ModificationTime(picture);
    EXPECT_EQ(after.tv_sec, modified.tv_sec);
    EXPECT_EQ(after.tv_nsec, modified.tv_nsec);
}

TEST_F(DateCommentPanelTest, DatesOutsideTheShootingYearsOrMonthDaysAreRefused)
{
    const std::string before = ReadTextFile(picture);
    struct Case {
        int year, month, day;
    };
    const Case refused[] = {
        {1899, 12, 31}, // before the first year
        {2099, 1, 1},   // after the last year
        {2026, 2, 31},  // no such day
        {2023, 2, 29},  // not a leap year
        {2100, 2, 29},  // a century is not a leap year
        {2026, 4, 31},  {2026, 0, 10}, {2026, 5, 0},
    };
    for (const Case& date : refused) {
        panel->Load(picture);
        messages.clear();
        TypeDate(date.year, date.month, date.day, 12, 0, 0);
        EXPECT_FALSE(panel->Commit()) << date.year << "-" << date.month << "-" << date.day;
        EXPECT_TRUE(RefusedDate()) << date.year << "-" << date.month << "-" << date.day;
        EXPECT_EQ(ReadTextFile(picture), before);
    }

    // An emptied field is no date either.
    panel->Load(picture);
    messages.clear();
    Type("Hour", "");
    EXPECT_FALSE(panel->Commit());
    EXPECT_TRUE(RefusedDate());
    EXPECT_EQ(ReadTextFile(picture), before);
}

TEST_F(DateCommentPanelTest, ValidDatesAreWrittenAndReadBack)
{
    struct Case {
        int year, month, day, hour, minute, second;
        const char* stored;
    };
    const Case accepted[] = {
        {2026, 1, 2, 3, 4, 5, "2026:01:02 03:04:05"}, // this year's pictures
        {2024, 2, 29, 23, 59, 59, "2024:02:29 23:59:59"}, {1900, 1, 1, 0, 0, 0, "1900:01:01 00:00:00"},
        {2098, 12, 31, 12, 30, 0, "2098:12:31 12:30:00"}, {2000, 2, 29, 8, 0, 0, "2000:02:29 08:00:00"},
    };
    for (const Case& date : accepted) {
        panel->Load(picture);
        QSignalSpy rewritten(panel.get(), &DateCommentPanel::pictureRewritten);
        TypeDate(date.year, date.month, date.day, date.hour, date.minute, date.second);
        ASSERT_TRUE(panel->Commit()) << date.stored;
        EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text);
        ASSERT_EQ(rewritten.count(), 1);
        EXPECT_EQ(rewritten.at(0).at(0).toString().toStdString(), picture);

        const Stored stored = ReadBack(picture);
        EXPECT_EQ(stored.date, date.stored);
        EXPECT_EQ(stored.comment, "Holiday"); // only the date was written
        // The panel now holds the file's new values, so nothing is left to write.
        EXPECT_EQ(Text("Year"), QString::number(date.year));
        EXPECT_EQ(Text("Second"), QString::number(date.second));
        EXPECT_FALSE(panel->Commit());
    }
}

TEST_F(DateCommentPanelTest, OnlyTheChangedPartIsWritten)
{
    // A comment in a character code that the panel cannot show stays as the camera wrote it
    // when only the date changes.
    const std::string jisField = std::string("JIS\0\0\0\0\0", 8) + "\x1B$B0lF|\x1B(B";
    const std::string jis = WritePicture(sandbox, "jis.jpg", CameraPicture(jisField));
    const std::vector<std::uint8_t> rawBefore = ReadBack(jis).rawComment;
    ASSERT_FALSE(rawBefore.empty());
    panel->Load(jis);
    EXPECT_TRUE(Text("Comment").isEmpty());
    Type("Day", "15");
    ASSERT_TRUE(panel->Commit());
    EXPECT_EQ(ReadBack(jis).date, "2006:03:15 09:26:53");
    EXPECT_EQ(ReadBack(jis).rawComment, rawBefore);

    // A picture with the blank date of a written file takes a new comment without a date.
    ExifBuilder blank = CameraPicture();
    blank.exif.Drop(0x9003).Ascii(0x9003, "    :  :     :  :  ");
    const std::string undated = WritePicture(sandbox, "undated.jpg", blank);
    panel->Load(undated);
    EXPECT_TRUE(Text("Year").isEmpty());
    EXPECT_TRUE(Field("Year")->isEnabled());
    Type("Comment", "Found in a drawer");
    ASSERT_TRUE(panel->Commit());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadBack(undated).comment, "Found in a drawer");
    EXPECT_EQ(ReadBack(undated).date, "    :  :     :  :  ");
}

TEST_F(DateCommentPanelTest, LongCommentsAreCutTo255BytesAtACharacterBoundary)
{
    panel->Load(picture);
    Type("Comment", QString(300, 'x'));
    EXPECT_EQ(Text("Comment"), QString(255, 'x'));
    ASSERT_TRUE(panel->Commit());
    EXPECT_EQ(ReadBack(picture).comment, std::string(255, 'x'));
    EXPECT_EQ(ReadBack(picture).date, "2006:03:14 09:26:53");
    EXPECT_EQ(Text("Comment"), QString(255, 'x'));

    // A two-byte and a three-byte character across the limit are dropped whole; one that ends
    // exactly at it stays.
    struct Case {
        std::string typed;
        std::string kept;
    };
    const Case cases[] = {
        {std::string(254, 'a') + "\xC3\xA9", std::string(254, 'a')},
        {std::string(253, 'b') + "\xE2\x82\xAC" + "c", std::string(253, 'b')},
        {std::string(253, 'd') + "\xC3\xA9" + "e", std::string(253, 'd') + "\xC3\xA9"},
    };
    for (const Case& c : cases) {
        panel->Load(picture);
        messages.clear();
        Field("Comment")->setText(QString::fromStdString(c.typed));
        EXPECT_EQ(Text("Comment").toStdString(), c.kept);
        ASSERT_TRUE(panel->Commit());
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(ReadBack(picture).comment, c.kept);
        EXPECT_EQ(Text("Comment").toStdString(), c.kept);
    }
}

TEST_F(DateCommentPanelTest, ReadOnlyPictureWarnsAndKeepsItsDate)
{
    panel->Load(picture);
    TypeDate(2026, 7, 1, 10, 0, 0);
    const std::string before = ReadTextFile(picture);
    ASSERT_EQ(::chmod(picture.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0755), 0); // a plain user may reach the file

    const int outcome = RunAsPlainUser([&] {
        const bool written = panel->Commit();
        const bool warned = messages.size() == 1 && messages[0].kind == MessageKind::Warning
            && messages[0].text == GetText("ZORX_FileIsLocked");
        // The fields show the file's values again.
        const bool restored = Field("Year")->text() == "2006" && Field("Month")->text() == "3";
        return (written ? 1 : 0) | (warned ? 2 : 0) | (restored ? 4 : 0);
    });
    EXPECT_EQ(outcome, 2 | 4);
    EXPECT_EQ(ReadTextFile(picture), before);
    EXPECT_EQ(ReadBack(picture).date, "2006:03:14 09:26:53");
}

TEST_F(DateCommentPanelTest, FailedWriteIsReportedAndThePictureKeepsItsValues)
{
    panel->Load(picture);
    TypeDate(2026, 7, 1, 10, 0, 0);
    Type("Comment", "Summer");
    // Another program replaced the picture after it was loaded.
    sandbox.WriteFile("DSCF0001.JPG", "not a picture any more");
    QSignalSpy rewritten(panel.get(), &DateCommentPanel::pictureRewritten);
    EXPECT_FALSE(panel->Commit());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    const std::string detail = TagUpdateResultText(TagUpdateResult::NotJpeg);
    EXPECT_EQ(messages[0].text, FillTemplate(GetText("ZORX_CanNotWriteDateComment"), {detail}));
    EXPECT_NE(messages[0].text.find(detail), std::string::npos);
    EXPECT_EQ(rewritten.count(), 0);
    EXPECT_EQ(ReadTextFile(picture), "not a picture any more");
    EXPECT_EQ(Text("Year"), "2006");
    EXPECT_EQ(Text("Comment"), "Holiday");
    // What could not be written is not offered again.
    messages.clear();
    EXPECT_FALSE(panel->Commit());
    EXPECT_TRUE(messages.empty());
}

TEST_F(DateCommentPanelTest, CommitWritesTheLoadedPictureOnly)
{
    const std::string other = WritePicture(sandbox, "DSCF0002.JPG", CameraPicture());
    const std::string otherBefore = ReadTextFile(other);
    panel->Load(picture);
    Type("Comment", "First one");
    ASSERT_TRUE(panel->Commit());
    EXPECT_EQ(ReadBack(picture).comment, "First one");
    EXPECT_EQ(ReadTextFile(other), otherBefore);

    // Loading another picture drops the unsaved edits of the previous one.
    Type("Comment", "Never saved");
    panel->Load(other);
    EXPECT_EQ(Text("Comment"), "Holiday");
    EXPECT_FALSE(panel->Commit());
    EXPECT_EQ(ReadBack(picture).comment, "First one");
    EXPECT_EQ(ReadTextFile(other), otherBefore);
}

TEST_F(DateCommentPanelTest, NonLatinCommentsAreShownAsTheyAreStored)
{
    ExifBuilder exif = CameraExif(Endian::kBig);
    const std::string bigEndian = WritePicture(sandbox, "DSCF0003.JPG", exif);
    for (const std::string& path : {picture, bigEndian}) {
        const std::string text
            = "\xE5\xA4\x8F\xE3\x81\xAE\xE6\xB5\xB7 \xC3\xA9t\xC3\xA9"; // a summer sea, in two scripts
        panel->Load(path);
        Type("Comment", QString::fromStdString(text));
        ASSERT_TRUE(panel->Commit()) << path;
        EXPECT_EQ(ReadBack(path).comment, text) << path;
        EXPECT_EQ(Text("Comment").toStdString(), text) << path;
        EXPECT_FALSE(panel->Commit()) << path;
    }
    EXPECT_TRUE(messages.empty());
}
