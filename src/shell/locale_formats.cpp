#include "shell/locale_formats.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include "library/file_time.h"

void UseLocaleDateTimeFormats()
{
    const QLocale locale = QLocale::system();
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    SetDateTimeTextFormatters(
        [locale, dateFormat](const SystemTime& time) {
            return locale.toString(QDate(time.year, time.month, time.day), dateFormat).toStdString();
        },
        [locale, timeFormat](const SystemTime& time) {
            return locale.toString(QTime(time.hour, time.minute, time.second), timeFormat).toStdString();
        });
}
