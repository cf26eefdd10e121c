// FTP over the transfer library. One easy handle per connection keeps the
// control connection open between calls; the connection tracks its current
// remote folder itself and names every path absolutely, so that no command
// depends on where an earlier transfer left the server.
#include <curl/curl.h>

#include <cstring>
#include <string>

#include "platform/afx/inet/afxinet.h"
#include "platform/afx/inet/curl_handle.h"

IMPLEMENT_DYNAMIC(CInternetException, CException)

namespace {

const char* ErrorText(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_TIMEOUT: return "The operation timed out.";
    case ERROR_INTERNET_EXTENDED_ERROR: return "The server refused the request.";
    case ERROR_INTERNET_INVALID_URL: return "The server name or remote path is not valid.";
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return "The server name could not be resolved.";
    case ERROR_INTERNET_LOGIN_FAILURE: return "The log-in was refused.";
    case ERROR_INTERNET_INCORRECT_HANDLE_STATE: return "The connection is closed.";
    case ERROR_INTERNET_CANNOT_CONNECT: return "The connection to the server could not be made.";
    case ERROR_INTERNET_CONNECTION_ABORTED: return "The connection to the server was broken.";
    default: return "The internet operation failed.";
    }
}

// A name that would end a command line early is refused.
bool SafeName(const CString& s) {
    for (int i = 0; i < s.GetLength(); ++i)
        if (s[i] == '\r' || s[i] == '\n' || s[i] == '\0') return false;
    return true;
}

size_t CollectAnswers(char* data, size_t size, size_t count, void* user) {
    auto* out = static_cast<std::string*>(user);
    if (out->size() < (1u << 16)) out->append(data, size * count);
    return size * count;
}

// The folder a "257" answer names ("" doubled inside the quotes); "" when none.
std::string FolderOf257(const std::string& answers) {
    std::string folder;
    size_t at = 0;
    while (true) {
        size_t line = answers.find("257", at);
        if (line == std::string::npos) break;
        if (line == 0 || answers[line - 1] == '\n') {
            size_t q = answers.find('"', line);
            size_t eol = answers.find('\n', line);
            if (q != std::string::npos && q < eol) {
                std::string f;
                for (size_t i = q + 1; i < answers.size() && answers[i] != '\n'; ++i) {
                    if (answers[i] == '"') {
                        if (i + 1 < answers.size() && answers[i + 1] == '"') {
                            f += '"';
                            ++i;
                            continue;
                        }
                        folder = f;
                        break;
                    }
                    f += answers[i];
                }
            }
        }
        at = line + 3;
    }
    return folder;
}

// The last answer line the server sent.
CString LastLine(const std::string& answers) {
    std::string a = answers;
    while (!a.empty() && (a.back() == '\n' || a.back() == '\r')) a.pop_back();
    size_t nl = a.rfind('\n');
    return CString(nl == std::string::npos ? a.c_str() : a.c_str() + nl + 1);
}

size_t ReadSpool(char* buffer, size_t size, size_t count, void* user) {
    return std::fread(buffer, size, count, static_cast<std::FILE*>(user));
}

}  // namespace

CInternetException::CInternetException(DWORD error, const CString& detail) : m_dwError(error), m_strDetail(detail) {}

BOOL CInternetException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    if (!buffer || !maxChars) return FALSE;
    CString text = ErrorText(m_dwError);
    if (!m_strDetail.IsEmpty()) text += CString("\n") + m_strDetail;
    size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), maxChars - 1);
    std::memcpy(buffer, static_cast<LPCTSTR>(text), n);
    buffer[n] = '\0';
    return TRUE;
}

struct CFtpConnection::Impl {
    afx_inet::CurlHandle curl;
    std::string base;  // "ftp://host:port"
    std::string user, password;
    bool passive = false;
    DWORD connectMs = 30000, answerMs = 60000;
    std::string answers;
    char errorText[CURL_ERROR_SIZE] = {};

    void Prepare() {
        CURL* c = curl.get();
        curl_easy_reset(c);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectMs));
        curl_easy_setopt(c, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(connectMs));
        long answerSeconds = static_cast<long>((answerMs + 999) / 1000);
        curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, answerSeconds);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, answerSeconds);
        curl_easy_setopt(c, CURLOPT_FTPPORT, passive ? nullptr : "-");
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, CollectAnswers);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &answers);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
        answers.clear();
        errorText[0] = 0;
    }
};

// ---- session ----

CInternetSession::CInternetSession(LPCTSTR agent, DWORD_PTR context) : m_strAgent(agent), m_context(context) {}

CInternetSession::~CInternetSession() {
    Close();
    for (INT_PTR i = 0; i < m_connections.GetSize(); ++i)
        static_cast<CFtpConnection*>(m_connections[i])->m_pSession = nullptr;
}

BOOL CInternetSession::SetOption(DWORD option, DWORD value) {
    if (value == 0) return FALSE;
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: m_connectMs = value; return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT: m_answerMs = value; return TRUE;
    default: return FALSE;
    }
}

BOOL CInternetSession::QueryOption(DWORD option, DWORD& value) const {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: value = m_connectMs; return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT: value = m_answerMs; return TRUE;
    default: return FALSE;
    }
}

CFtpConnection* CInternetSession::GetFtpConnection(LPCTSTR server, LPCTSTR userName, LPCTSTR password, WORD port,
                                                   BOOL passive) {
    CString host(server);
    host.Trim();
    if (host.IsEmpty() || !SafeName(host) || host.FindOneOf("/@ ") >= 0)
        throw new CInternetException(ERROR_INTERNET_INVALID_URL);
    auto impl = std::make_unique<CFtpConnection::Impl>();
    impl->curl = afx_inet::NewCurl();
    if (!impl->curl) throw new CInternetException(ERROR_INTERNET_CANNOT_CONNECT);
    std::string h = static_cast<LPCTSTR>(host);
    if (h.find(':') != std::string::npos && h.front() != '[') h = "[" + h + "]";  // a numeric IPv6 address
    impl->base = "ftp://" + h + ":" + std::to_string(port ? port : INTERNET_DEFAULT_FTP_PORT);
    CString user(userName);
    impl->user = user.IsEmpty() ? "anonymous" : static_cast<LPCTSTR>(user);
    impl->password = password ? password : "";
    if (user.IsEmpty() && impl->password.empty()) impl->password = "guest@";
    impl->passive = passive != FALSE;
    impl->connectMs = m_connectMs;
    impl->answerMs = m_answerMs;
    auto* connection = new CFtpConnection(this, std::move(impl), host);
    CStringArray pwd;
    pwd.Add("PWD");
    DWORD error = 0;
    if (!connection->Command(pwd, &error) || connection->m_strFolder.IsEmpty()) {
        CString detail = connection->m_strLastResponse;
        delete connection;
        throw new CInternetException(error ? error : ERROR_INTERNET_EXTENDED_ERROR, detail);
    }
    m_connections.Add(connection);
    return connection;
}

void CInternetSession::Close() {
    for (INT_PTR i = 0; i < m_connections.GetSize(); ++i) static_cast<CFtpConnection*>(m_connections[i])->Close();
}

void CInternetSession::Forget(CFtpConnection* connection) {
    for (INT_PTR i = 0; i < m_connections.GetSize(); ++i)
        if (m_connections[i] == connection) {
            m_connections.RemoveAt(i);
            return;
        }
}

// ---- connection ----

CFtpConnection::CFtpConnection(CInternetSession* session, std::unique_ptr<Impl> impl, const CString& server)
    : m_pSession(session), m_impl(std::move(impl)), m_strServer(server), m_strFolder("") {}

CFtpConnection::~CFtpConnection() {
    Close();
    if (m_pSession) m_pSession->Forget(this);
}

void CFtpConnection::Close() { m_impl.reset(); }

bool CFtpConnection::Command(const CStringArray& commands, DWORD* error) {
    *error = ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    if (!m_impl) return false;
    m_impl->Prepare();
    afx_inet::CurlList list;
    for (INT_PTR i = 0; i < commands.GetSize(); ++i) {
        if (!SafeName(commands[i])) {
            *error = ERROR_INTERNET_INVALID_URL;
            return false;
        }
        curl_slist* grown = curl_slist_append(list.get(), commands[i]);
        if (!grown) return false;
        list.release();
        list.reset(grown);
    }
    CURL* c = m_impl->curl.get();
    std::string url = m_impl->base + "/";
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c, CURLOPT_QUOTE, list.get());
    CURLcode r = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_QUOTE, nullptr);
    m_strLastResponse = LastLine(m_impl->answers);
    if (r != CURLE_OK) {
        *error = afx_inet::InternetErrorOf(r);
        if (m_strLastResponse.IsEmpty()) m_strLastResponse = m_impl->errorText;
        return false;
    }
    // Only a closing PWD names the folder; MKD answers 257 too.
    if (commands.GetSize() > 0 && commands[commands.GetSize() - 1] == "PWD") {
        std::string folder = FolderOf257(m_impl->answers);
        if (!folder.empty()) m_strFolder = folder.c_str();
    }
    *error = 0;
    return true;
}

CString CFtpConnection::AbsolutePath(const CString& name) const {
    CString n = name;
    n.Replace('\\', '/');
    if (!n.IsEmpty() && n[0] == '/') return n;
    CString base = m_strFolder;
    if (base.IsEmpty() || base[base.GetLength() - 1] != '/') base += "/";
    return base + n;
}

BOOL CFtpConnection::GetCurrentDirectory(CString& folder) {
    CStringArray c;
    c.Add("PWD");
    DWORD error = 0;
    if (!Command(c, &error)) return FALSE;
    folder = m_strFolder;
    return TRUE;
}

BOOL CFtpConnection::SetCurrentDirectory(LPCTSTR folder) {
    CString f(folder);
    if (f.IsEmpty()) return FALSE;
    CStringArray c;
    c.Add("CWD " + AbsolutePath(f));
    c.Add("PWD");
    DWORD error = 0;
    return Command(c, &error) ? TRUE : FALSE;
}

BOOL CFtpConnection::CreateDirectory(LPCTSTR folder) {
    CString f(folder);
    if (f.IsEmpty()) return FALSE;
    CStringArray c;
    c.Add("MKD " + AbsolutePath(f));
    DWORD error = 0;
    return Command(c, &error) ? TRUE : FALSE;
}

bool CFtpConnection::Store(const CString& remotePath, std::FILE* data, bool binary, DWORD* error) {
    *error = ERROR_INTERNET_INCORRECT_HANDLE_STATE;
    if (!m_impl) return false;
    if (!SafeName(remotePath)) {
        *error = ERROR_INTERNET_INVALID_URL;
        return false;
    }
    m_impl->Prepare();
    CURL* c = m_impl->curl.get();
    // "%2F" makes the path absolute; each part is escaped on its own.
    std::string url = m_impl->base + "/%2F";
    std::string path = static_cast<LPCTSTR>(remotePath);
    size_t at = path.find_first_not_of('/');
    bool first = true;
    while (at != std::string::npos && at < path.size()) {
        size_t end = path.find('/', at);
        std::string part = path.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!part.empty()) {
            char* escaped = curl_easy_escape(c, part.c_str(), static_cast<int>(part.size()));
            if (!escaped) return false;
            url += (first ? "" : "/") + std::string(escaped);
            curl_free(escaped);
            first = false;
        }
        at = end == std::string::npos ? end : end + 1;
    }
    if (first) {
        *error = ERROR_INTERNET_INVALID_URL;
        return false;
    }
    std::fseek(data, 0, SEEK_END);
    long size = std::ftell(data);
    std::rewind(data);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadSpool);
    curl_easy_setopt(c, CURLOPT_READDATA, data);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size < 0 ? 0 : size));
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, binary ? 0L : 1L);
    CURLcode r = curl_easy_perform(c);
    m_strLastResponse = LastLine(m_impl->answers);
    if (r != CURLE_OK) {
        *error = afx_inet::InternetErrorOf(r);
        if (m_strLastResponse.IsEmpty()) m_strLastResponse = m_impl->errorText;
        return false;
    }
    *error = 0;
    return true;
}

CInternetFile* CFtpConnection::OpenFile(LPCTSTR fileName, DWORD access, DWORD flags, DWORD_PTR) {
    CString name(fileName);
    if (!m_impl) throw new CInternetException(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (access != GENERIC_WRITE || name.IsEmpty() || !SafeName(name))
        throw new CInternetException(ERROR_INTERNET_INVALID_URL);
    auto* file = new CInternetFile(this, AbsolutePath(name), name, (flags & FTP_TRANSFER_TYPE_ASCII) == 0);
    if (!file->m_spool) {
        delete file;
        throw new CFileException(CFileException::diskFull);
    }
    return file;
}

BOOL CFtpConnection::PutFile(LPCTSTR localFile, LPCTSTR remoteFile, DWORD flags, DWORD_PTR) {
    CFile local;
    if (!local.Open(localFile, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
    std::FILE* spool = std::tmpfile();
    if (!spool) return FALSE;
    char block[10240];
    bool ok = true;
    try {
        for (UINT n; (n = local.Read(block, sizeof block)) > 0;)
            if (std::fwrite(block, 1, n, spool) != n) ok = false;
    } catch (CException* e) {
        e->Delete();
        ok = false;
    }
    DWORD error = 0;
    ok = ok && std::fflush(spool) == 0 &&
         Store(AbsolutePath(remoteFile), spool, (flags & FTP_TRANSFER_TYPE_ASCII) == 0, &error);
    std::fclose(spool);
    return ok ? TRUE : FALSE;
}

// ---- file ----

CInternetFile::CInternetFile(CFtpConnection* connection, const CString& remotePath, const CString& name, bool binary)
    : m_pConnection(connection), m_strRemotePath(remotePath), m_strName(name), m_binary(binary),
      m_spool(std::tmpfile()) {}

CInternetFile::~CInternetFile() { Abort(); }

void CInternetFile::Write(const void* data, UINT count) {
    if (!m_spool) throw new CInternetException(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (count && std::fwrite(data, 1, count, m_spool) != count) throw new CFileException(CFileException::diskFull);
}

void CInternetFile::Close() {
    if (!m_spool) return;
    DWORD error = 0;
    bool ok = std::fflush(m_spool) == 0 && m_pConnection->Store(m_strRemotePath, m_spool, m_binary, &error);
    std::fclose(m_spool);
    m_spool = nullptr;
    if (!ok) throw new CInternetException(error ? error : ERROR_INTERNET_EXTENDED_ERROR, m_pConnection->m_strLastResponse);
}

void CInternetFile::Abort() {
    if (m_spool) std::fclose(m_spool);
    m_spool = nullptr;
}
