#include "outside/tarrik/message_texts.h"

namespace tarrik {

const char* MessageText(int id) {
    switch (id) {
        case 5: return "Creating the PDF file from %1 pages...";
        case 6: return "Adding page %1 of %2 to the PDF file...";
        case 8: return "The serial number of \"%1\" has reached its largest value. Choose another prefix or start number.";
        case 10: return "The prefix holds a character that a file name cannot hold: \\ / : * ? \" < > |";
        case 14: return "Do you want to exit %1? The scanner buttons will not work until it is started again.";
        case 15: return "The scanner is not present. Connect the scanner, turn it on and try again.";
        case 16: return "No mail program is installed, so the files cannot be sent by e-mail.";
        case 26: return "The connection to the FTP server could not be made. Check the host name, user name and password.";
        case 28: return "Export to ini";
        case 29: return "Exporting the button settings to %s...";
        case 30: return "The job file \"%1\" does not exist.";
        case 31: return "This button cannot scan yet: set %1 in its panel of the Button Configuration dialog.";
        case 32: return "The printer \"%1\" is not set up on this computer, so nothing was scanned. Choose another printer for the button.";
        case 33: return "The job file \"%1\" holds no job for this button, so nothing was scanned.";
        case 34: return "The button's action \"%1\" is not one this program knows, so nothing was scanned.";
        case 35: return "The paper jammed after %1 pages; the pages scanned before it are kept. Clear the feeder and scan the rest again.";
        case 36: return "Nothing was scanned: the feeder holds no paper. Load the pages and press the button again.";
        case 37: return "Nothing was scanned: the paper jammed in the feeder. Clear the feeder and press the button again.";
        case 38: return "Nothing was scanned: the scanner did not answer, or another program is using it.";
        case 39: return "Nothing was scanned: the scanner could not read the page.";
        case 40: return "Nothing was kept: every scanned page was blank and was removed.";
        case 41: return "%1 blank pages were removed from the scan.";
        default: return nullptr;
    }
}

}  // namespace tarrik
