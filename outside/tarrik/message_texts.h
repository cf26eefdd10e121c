// The English texts of the message library, by number.
#pragma once

namespace tarrik {

// The text of message `id`, or nullptr for an unknown id.
const char* MessageText(int id);

}  // namespace tarrik
