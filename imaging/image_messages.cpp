// The message of a failed image write: the writer's own text and the cause.
#include "imaging/image_messages.h"

#include <string>

#include "platform/win/errors.h"

const char* ImageWriteFailureCause(unsigned long error) {
    switch (error) {
        case ERROR_DISK_FULL: return "The disk is full.";
        case ERROR_WRITE_FAULT: return "The disk could not be written.";
        default: return "";
    }
}

void ShowImageWriteFailure(const char* text) {
    const DWORD error = GetLastError();
    std::string message = text ? text : "";
    const char* cause = ImageWriteFailureCause(error);
    if (*cause) message += std::string("\n") + cause;
    ShowImageMessage(message.c_str());
    SetLastError(error);
}

namespace {
thread_local CImageMessageCatcher* t_catcher = nullptr;
}  // namespace

CImageMessageCatcher::CImageMessageCatcher() : outer_(t_catcher) { t_catcher = this; }

CImageMessageCatcher::~CImageMessageCatcher() { t_catcher = outer_; }

bool CImageMessageCatcher::Catch(const char* text) {
    if (!t_catcher) return false;
    t_catcher->messages_.emplace_back(text ? text : "");
    return true;
}
