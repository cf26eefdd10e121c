// The FTP hand-off of a scan job: the button's session settings, the
// connection (into the remote folder, made when missing) and the upload of
// the job's files in order. A local file is deleted only after the server
// confirmed the whole file; the first error ends the upload and every file
// not yet confirmed stays where it is.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "keyrider/job_profile.h"

class CInternetSession;
class CFtpConnection;

namespace keyrider {

struct FtpSettings {
    std::string host, remoteFolder, user, password;
    bool deleteFile = false;
    int port = 21;
    bool passive = false;
    bool anonymous = false;
    int transfer = 0;  // read, but every transfer is binary
};
// From the button's session section (section + "\Session\1").
FtpSettings ReadFtpSettings(const JobProfile& profile, const std::string& section);

struct UploadOutcome {
    bool connected = false;
    int confirmed = 0;    // files the server confirmed, in order
    std::string problem;  // why the upload stopped early ("" when it did not)
};

// Opens the connection through `session` and changes into the remote folder
// (making it when it is missing); null with `problem` set on any error.
CFtpConnection* ConnectFtp(CInternetSession& session, const FtpSettings& settings, std::string* problem);

// Uploads `files` one after the other under their last path parts.
// `afterFile` (optional) runs after each confirmed file with its index.
UploadOutcome UploadFiles(CInternetSession& session, const FtpSettings& settings, const std::vector<std::string>& files,
                          const std::function<void(int)>& afterFile = {});

}  // namespace keyrider
