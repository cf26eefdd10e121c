// Message boxes of the image operations, shown through the shell.
#pragma once

// Shows one of the fixed texts with an OK button.
void ShowImageMessage(const char* text);
