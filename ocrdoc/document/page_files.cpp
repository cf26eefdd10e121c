// The page's files beside its image: the page image written through its
// codec, and a loaded page with its project block taken by a page without a
// window (a batch worker's).
#include <cstring>
#include <new>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/image_messages.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/project_file.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"
#include "shell/shell_services.h"

BOOL COcrPage::WriteImageFile(const char* path, BOOL report) {
    if (!path || !*path) return FALSE;
    int type = IMGTYPE_UNKNOWN;
    if (!GetImageFileType(path, &type, ShellServices().ReadsPdfImages())) return FALSE;
    CImageCodec* codec = CreateImageCodec(path, type);
    if (!codec) return FALSE;
    SetLastError(ERROR_SUCCESS);
    BOOL written = m_pImage && codec->Save(m_pImage, 0);
    delete codec;
    if (!written && report) {
        // The codec leaves the cause (a full disk) as the last error.
        const DWORD error = GetLastError();
        CString text;
        text.Format(kMsgSaveImageFailed, path);
        const char* cause = ImageWriteFailureCause(error);
        if (*cause) {
            text += "\n";
            text += cause;
        }
        ShowMessage(text.GetString());
        SetLastError(error);
    }
    return written;
}

BOOL COcrPage::TakeLoadedPage(CPageImage* image, HGLOBAL block, int batchOption) {
    FreePage();
    Reset();
    m_nTextLen = 0;
    m_bLayoutDirty = 0;
    m_bHasLayout = 0;
    SetPageEdited(FALSE);
    if (!image) {
        if (block) GlobalFree(block);
        return FALSE;
    }
    m_pImage = image;
    m_pPageRegion = new (std::nothrow) CPageRegion(RECT{0, 0, image->m_nWidth, image->m_nHeight});
    if (!m_pPageRegion) {
        if (block) GlobalFree(block);
        FreePage();
        return FALSE;
    }
    const auto* data = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
    if (data) {
        const std::size_t size = GlobalSize(block);
        ProjectContents contents;
        const ProjectScanResult scan = ScanProject(data, size, ProjectForm::Block, &contents);
        SetPageEdited(size >= kProjectMagicBytes + kProjectTagBytes &&
                      std::memcmp(data + kProjectMagicBytes, kProjectEditedTag, kProjectTagBytes) == 0);
        // Option 2 redoes everything: nothing stored is used.
        if (scan == kProjectScanOk && batchOption != 2 &&
            ProjectPageFitsImage(contents.page, image->m_nWidth, image->m_nHeight)) {
            const bool loadText = batchOption == 0 && contents.hasText && contents.textLen > 0;
            if (!loadText || LoadSaved(1, contents.text, contents.textLen, contents.chars, contents.charBytes)) {
                if (!loadText) Reset();
                if (ApplyProjectRecords(contents, *m_pPageRegion, m_pImage) > 0) m_bHasLayout = 1;
            } else {
                Reset();
            }
        }
        GlobalUnlock(block);
    }
    if (block) GlobalFree(block);
    RebuildLineCounts();
    return TRUE;
}
