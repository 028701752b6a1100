#pragma once

// Makes the engine write dates and times in the short formats of the user's locale.
void UseLocaleDateTimeFormats();
