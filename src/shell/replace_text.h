#pragma once

class QWidget;

// Localises a window and all its descendants: each one's current text (a window's title, a
// label's or button's text, a group box's title) is taken as a language key, and replaced by
// that key's text when the text is not empty. Other texts stay as they are.
void ReplaceText(QWidget* window);
