// The PDF encryption library: rewrites a PDF file encrypted, through a
// temporary file beside it that replaces the original only when complete.
// Only the current qpdf interfaces are used.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>

#include "outside/include/library_export.h"
#include "outside/include/lorvex.h"
#include "platform/win/path.h"

SUITE_LIBRARY_EXPORT int fnLorvex(LPCSTR path, LPCSTR userPassword, LPCSTR ownerPassword) {
    if (!path || !*path || !userPassword) return 2;
    const std::string native = suite::NativePathOfEither(path);
    const std::string owner = ownerPassword && *ownerPassword ? ownerPassword : userPassword;
    const std::string temporary = native + ".lorvex-" + std::to_string(::getpid());
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        try {
            pdf.processFile(native.c_str());
        } catch (const std::exception&) {
            return 1;
        }
        QPDFWriter writer(pdf, temporary.c_str());
        writer.setR6EncryptionParameters(userPassword, owner.c_str(), true, true, true, true, true, true,
                                         qpdf_r3p_full, true);
        writer.write();
    } catch (const std::exception&) {
        std::remove(temporary.c_str());
        return 3;
    }
    if (std::rename(temporary.c_str(), native.c_str()) != 0) {
        std::remove(temporary.c_str());
        return 3;
    }
    return 0;
}
