#include "shell/replace_text.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "framework/string_table.h"

namespace {

// The text of the key, or the original text when the key has none.
QString Localised(const QString& text)
{
    if (text.isEmpty())
        return text;
    const std::string& value = GetText(text.toStdString());
    return value.empty() ? text : QString::fromStdString(value);
}

void ReplaceOne(QWidget* widget)
{
    if (widget->isWindow())
        widget->setWindowTitle(Localised(widget->windowTitle()));
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(Localised(label->text()));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(Localised(button->text()));
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(Localised(group->title()));
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(Localised(edit->text()));
}

} // namespace

void ReplaceText(QWidget* window)
{
    if (!window)
        return;
    ReplaceOne(window);
    for (QWidget* child : window->findChildren<QWidget*>())
        ReplaceOne(child);
}
