#include "keyrider/ftp_upload.h"

#include <cstdio>
#include <memory>
#include <system_error>
#include <filesystem>

#include "platform/afx/inet/afxinet.h"
#include "platform/win/path.h"

namespace keyrider {

FtpSettings ReadFtpSettings(const JobProfile& p, const std::string& section) {
    const std::string s = section + "\\Session\\1";
    FtpSettings f;
    f.host = p.String(s, "Host Name", "");
    f.remoteFolder = p.String(s, "Remote Folder", "");
    f.user = p.String(s, "Username", "");
    f.password = p.String(s, "Password", "");
    f.deleteFile = p.Int(s, "Delete File", 0) != 0;
    f.port = p.Int(s, "Port", 21);
    f.passive = p.Int(s, "Passive", 0) != 0;
    f.anonymous = p.Int(s, "Anonymous", 0) != 0;
    f.transfer = p.Int(s, "Transfer", 0);
    return f;
}

namespace {

std::string TextOf(CInternetException* e) {
    char text[512] = {};
    e->GetErrorMessage(text, sizeof text);
    e->Delete();
    return text;
}

}  // namespace

CFtpConnection* ConnectFtp(CInternetSession& session, const FtpSettings& s, std::string* problem) {
    if (s.port <= 0 || s.port > 65535) {
        *problem = "The FTP port " + std::to_string(s.port) + " is no port.";
        return nullptr;
    }
    CFtpConnection* c = nullptr;
    try {
        c = session.GetFtpConnection(s.host.c_str(), s.anonymous ? "" : s.user.c_str(), s.password.c_str(),
                                     static_cast<WORD>(s.port), s.passive ? TRUE : FALSE);
    } catch (CInternetException* e) {
        *problem = TextOf(e);
        return nullptr;
    }
    CString current;
    if (!c->GetCurrentDirectory(current)) {
        *problem = "The FTP server did not tell its folder: " + std::string(c->GetLastResponse().GetString());
        delete c;
        return nullptr;
    }
    if (!s.remoteFolder.empty() && current.CompareNoCase(s.remoteFolder.c_str()) != 0 &&
        !c->SetCurrentDirectory(s.remoteFolder.c_str())) {
        if (!c->CreateDirectory(s.remoteFolder.c_str()) || !c->SetCurrentDirectory(s.remoteFolder.c_str())) {
            *problem = "The FTP folder \"" + s.remoteFolder + "\" cannot be made: " +
                       std::string(c->GetLastResponse().GetString());
            delete c;
            return nullptr;
        }
    }
    return c;
}

UploadOutcome UploadFiles(CInternetSession& session, const FtpSettings& s, const std::vector<std::string>& files,
                          const std::function<void(int)>& afterFile) {
    UploadOutcome out;
    std::unique_ptr<CFtpConnection> c(ConnectFtp(session, s, &out.problem));
    if (!c) return out;
    out.connected = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string native = suite::NativePathOfEither(files[i]);
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> local(std::fopen(native.c_str(), "rb"), &std::fclose);
        if (!local) {
            out.problem = "\"" + files[i] + "\" cannot be read.";
            return out;
        }
        CInternetFile* remote = nullptr;
        try {
            remote = c->OpenFile(std::string(suite::PathLastPart(files[i])).c_str(), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
            char block[10240];
            std::size_t n = 0;
            while ((n = std::fread(block, 1, sizeof block, local.get())) > 0) remote->Write(block, UINT(n));
            if (std::ferror(local.get())) {
                remote->Abort();
                delete remote;
                out.problem = "\"" + files[i] + "\" cannot be read.";
                return out;
            }
            // Returns only once the server confirmed the whole file.
            remote->Close();
            delete remote;
        } catch (CInternetException* e) {
            if (remote) {
                remote->Abort();
                delete remote;
            }
            out.problem = TextOf(e);
            return out;
        }
        ++out.confirmed;
        local.reset();
        if (s.deleteFile) {
            std::error_code ec;
            std::filesystem::remove(native, ec);
        }
        if (afterFile) afterFile(int(i));
    }
    return out;
}

}  // namespace keyrider
