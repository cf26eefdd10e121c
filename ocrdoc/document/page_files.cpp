// The page's files beside its image: the page image written through its
// codec, and a loaded page with its project block taken by a page without a
// window (a batch worker's).
#include <new>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/image_messages.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document_host.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"

BOOL COcrPage::WriteImageFile(const char* path, BOOL report) {
    if (!path || !*path) return FALSE;
    int type = IMGTYPE_UNKNOWN;
    if (!GetImageFileType(path, &type, DocumentHost().ReadsPdfImages())) return FALSE;
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
    m_pPageRegion = new (std::nothrow) CPageRegion(CPageRegion::WholePage(image->m_nWidth, image->m_nHeight));
    if (!m_pPageRegion) {
        if (block) GlobalFree(block);
        FreePage();
        return FALSE;
    }
    if (block) {
        // Option 2 redoes everything: nothing stored is used.
        ReadProjectBlock(block, batchOption == 0   ? ProjectUse::kTextAndLayout
                                : batchOption == 1 ? ProjectUse::kLayoutOnly
                                                   : ProjectUse::kNothing);
        GlobalFree(block);
    }
    RebuildLineCounts();
    return TRUE;
}
