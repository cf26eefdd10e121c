// Internet sessions: an FTP connection to a server (log-in, current remote
// folder, folders made, binary files written) whose every exchange is bounded
// by the session's time-outs. Failures throw CInternetException* (delete it
// with Delete()), as the framework's callers expect.
#pragma once

#include <cstdio>
#include <memory>

#include "platform/afx/core/afx_core.h"
#include "platform/win/files.h"

#define INTERNET_DEFAULT_FTP_PORT 21
#define INTERNET_INVALID_PORT_NUMBER 0

#define INTERNET_OPTION_CONNECT_TIMEOUT 2
#define INTERNET_OPTION_SEND_TIMEOUT 5
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6

#define FTP_TRANSFER_TYPE_ASCII 0x00000001u
#define FTP_TRANSFER_TYPE_BINARY 0x00000002u

#define ERROR_INTERNET_TIMEOUT 12002
#define ERROR_INTERNET_EXTENDED_ERROR 12003
#define ERROR_INTERNET_INVALID_URL 12005
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007
#define ERROR_INTERNET_LOGIN_FAILURE 12015
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019
#define ERROR_INTERNET_CANNOT_CONNECT 12029
#define ERROR_INTERNET_CONNECTION_ABORTED 12030
#define ERROR_FTP_TRANSFER_IN_PROGRESS 12110
#define ERROR_FTP_DROPPED 12111

class AFX_CORE_API CInternetException : public CException {
    DECLARE_DYNAMIC(CInternetException)
public:
    explicit CInternetException(DWORD error, const CString& detail = CString());
    // The error's text, followed by the server's last answer when there is one.
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;

    DWORD m_dwError;
    DWORD_PTR m_dwContext = 0;
    CString m_strDetail;  // the server's last answer or the transfer library's text
};

class CFtpConnection;

class AFX_CORE_API CInternetSession : public CObject {
public:
    explicit CInternetSession(LPCTSTR agent = nullptr, DWORD_PTR context = 1);
    ~CInternetSession() override;
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Time-outs in milliseconds: connecting (default 30 s), and waiting for a
    // server's answer or for a transfer to move on (default 60 s each).
    BOOL SetOption(DWORD option, DWORD value);
    BOOL QueryOption(DWORD option, DWORD& value) const;

    // Connects and logs in (an empty or null user name logs in anonymously);
    // the connection belongs to the caller and ends with the session at the
    // latest. Throws CInternetException*.
    CFtpConnection* GetFtpConnection(LPCTSTR server, LPCTSTR userName = nullptr, LPCTSTR password = nullptr,
                                     WORD port = INTERNET_INVALID_PORT_NUMBER, BOOL passive = FALSE);
    // Closes every connection made through the session.
    void Close();

    DWORD ConnectTimeout() const { return m_connectMs; }
    DWORD AnswerTimeout() const { return m_answerMs; }

private:
    friend class CFtpConnection;
    void Forget(CFtpConnection* connection);
    CString m_strAgent;
    [[maybe_unused]] DWORD_PTR m_context;
    DWORD m_connectMs = 30000;
    DWORD m_answerMs = 60000;
    CPtrArray m_connections;
};

class CInternetFile;

class AFX_CORE_API CFtpConnection : public CObject {
public:
    ~CFtpConnection() override;
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // The current remote folder as the server names it. FALSE on failure
    // (these three do not throw; the last answer tells why).
    BOOL GetCurrentDirectory(CString& folder);
    BOOL SetCurrentDirectory(LPCTSTR folder);
    BOOL CreateDirectory(LPCTSTR folder);
    // Opens a remote file for writing (GENERIC_WRITE only; binary or ASCII).
    // Throws CInternetException* when the connection is closed or the access
    // is not writing.
    CInternetFile* OpenFile(LPCTSTR fileName, DWORD access = GENERIC_WRITE, DWORD flags = FTP_TRANSFER_TYPE_BINARY,
                            DWORD_PTR context = 1);
    // Uploads a local file; FALSE when it cannot be read or the server did not confirm it.
    BOOL PutFile(LPCTSTR localFile, LPCTSTR remoteFile, DWORD flags = FTP_TRANSFER_TYPE_BINARY, DWORD_PTR context = 1);
    void Close();

    // The server's last answer (its code and text).
    CString GetLastResponse() const { return m_strLastResponse; }
    CString GetServerName() const { return m_strServer; }

    struct Impl;

private:
    friend class CInternetSession;
    friend class CInternetFile;
    CFtpConnection(CInternetSession* session, std::unique_ptr<Impl> impl, const CString& server);
    // Sends commands on the connection (no transfer); the last answer is kept.
    bool Command(const CStringArray& commands, DWORD* error);
    bool Store(const CString& remotePath, std::FILE* data, bool binary, DWORD* error);
    CString AbsolutePath(const CString& name) const;

    CInternetSession* m_pSession;
    std::unique_ptr<Impl> m_impl;
    CString m_strServer;
    CString m_strFolder;  // the current remote folder, absolute
    CString m_strLastResponse;
};

// A remote file being written: the bytes are kept in a private unnamed local
// file and sent when the file is closed; Close returns (or throws) only after
// the server confirmed or refused the whole file. Abort drops it unsent.
class AFX_CORE_API CInternetFile : public CObject {
public:
    ~CInternetFile() override;
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;
    void Write(const void* data, UINT count);
    void Close();
    void Abort();
    CString GetFileName() const { return m_strName; }

private:
    friend class CFtpConnection;
    CInternetFile(CFtpConnection* connection, const CString& remotePath, const CString& name, bool binary);
    CFtpConnection* m_pConnection;
    CString m_strRemotePath, m_strName;
    bool m_binary;
    std::FILE* m_spool = nullptr;
};
