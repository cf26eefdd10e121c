// The library's one export: the table of 37 slots, each forwarding its
// arguments to the single store object.
#include "tabellon/doc_database.h"

namespace {

using tabellon::database;

int DB_CALL Open(const DB_VERSION* v, const DB_STORAGECONFIG* c, HKEY root) {
    return tabellon::guarded([&] { return database().Open(v, c, root); });
}
void DB_CALL Close() { database().Close(); }
void DB_CALL SetStorageFolders(const DB_STORAGECONFIG* c, void*) { database().SetStorageFolders(c); }
int DB_CALL EnumFolders(DWORD p, DWORD s, DB_ENUMPROC f, void* u) { return database().EnumFolders(p, s, f, u); }
int DB_CALL EnumDocuments(DWORD p, DWORD s, DB_ENUMPROC f, void* u) { return database().EnumDocuments(p, s, f, u); }
int DB_CALL GetFolderInfo(DB_FOLDERINFO* i) { return database().GetFolderInfo(i); }
int DB_CALL GetFolderSize(DWORD id, ULONGLONG* p, ULONGLONG* t) { return database().GetFolderSize(id, p, t); }
int DB_CALL CreateFolder(DWORD p, DB_FOLDERINFO* i) { return database().CreateFolder(p, i); }
int DB_CALL DeleteFolder(DWORD id) { return database().DeleteFolder(id); }
int DB_CALL MoveFolder(DWORD id, DWORD p, DWORD* o) { return database().MoveFolder(id, p, o); }
int DB_CALL RenameFolder(DWORD id, const char* n) { return database().RenameFolder(id, n); }
int DB_CALL CopyFolder(DWORD id, DWORD t, const char* n, void*, void*, DWORD* o) {
    return database().CopyFolder(id, t, n, o);
}
int DB_CALL GetDocumentInfo(DB_DOCINFO* i) { return database().GetDocumentInfo(i); }
int DB_CALL GetDocumentSize(DWORD id, ULONGLONG* p, ULONGLONG* t) { return database().GetDocumentSize(id, p, t); }
int DB_CALL CreateDocument(DWORD p, DB_DOCINFO* i) { return database().CreateDocument(p, i); }
int DB_CALL DeleteDocument(DWORD id) { return database().DeleteDocument(id); }
int DB_CALL MoveDocument(DWORD id, DWORD f, DWORD* o) { return database().MoveDocument(id, f, o); }
int DB_CALL RenameDocument(DWORD id, const char* n) { return database().RenameDocument(id, n); }
int DB_CALL CopyDocument(DWORD id, DWORD f, const char* n, DB_COPYPROC p, void* u, DWORD* o) {
    return database().CopyDocument(id, f, n, p, u, o);
}
int DB_CALL GetParentInfo(DWORD id, DB_FOLDERINFO* i) { return database().GetParentInfo(id, i); }
int DB_CALL GetPageFileName(DWORD id, DWORD p, char* a, char* b) { return database().GetPageFileName(id, p, a, b); }
int DB_CALL DeletePage(DWORD id, DWORD p) { return database().DeletePage(id, p); }
int DB_CALL GetNewPageFileName(DWORD id, char* o, int f, DWORD s) { return database().GetNewPageFileName(id, o, f, s); }
int DB_CALL AppendPageFile(DWORD id, const char* f, DWORD* p) { return database().AppendPageFile(id, f, p); }
int DB_CALL ReplacePageFile(DWORD id, DWORD p, const char* f) { return database().ReplacePageFile(id, p, f); }
int DB_CALL InsertPageFile(DWORD id, DWORD* p, const char* f) { return database().InsertPageFile(id, p, f); }
int DB_CALL MovePage(DWORD s, DWORD t, DWORD p, DWORD pos) { return database().MovePage(s, t, p, pos); }
int DB_CALL CopyPage(DWORD s, DWORD t, DWORD p, DWORD pos) { return database().CopyPage(s, t, p, pos); }
int DB_CALL ExportFolderPackage(DWORD id, const char* f, DB_PACKAGEPROC p, void* u) {
    return database().ExportFolderPackage(id, f, p, u);
}
int DB_CALL ExportDocumentPackage(DWORD id, const char* f, DB_PACKAGEPROC p, void* u) {
    return database().ExportDocumentPackage(id, f, p, u);
}
int DB_CALL GetPackageInfo(const char* f, int* k, char* p) { return database().GetPackageInfo(f, k, p); }
int DB_CALL ImportPackage(const char* f, DWORD* id, DB_IMPORTPROC p, void* u) {
    return database().ImportPackage(f, id, p, u);
}
int DB_CALL ExportPages(DWORD id, DB_EXPORTPAGESPROC p, void* u) { return database().ExportPages(id, p, u); }
int DB_CALL ExportPage(DWORD id, DWORD p, const DB_EXPORTSPEC* s, char* o) { return database().ExportPage(id, p, s, o); }
int DB_CALL AppendPageImage(DWORD id, IL_IMAGE* i, int f, const IL_SAVEOPTIONS* o, DWORD* p) {
    return database().AppendPageImage(id, i, f, o, p);
}
int DB_CALL ReplacePageImage(DWORD id, DWORD p, IL_IMAGE* i, int f, const IL_SAVEOPTIONS* o) {
    return database().ReplacePageImage(id, p, i, f, o);
}
int DB_CALL InsertPageImage(DWORD id, IL_IMAGE* i, int f, const IL_SAVEOPTIONS* o, DWORD* p) {
    return database().InsertPageImage(id, i, f, o, p);
}

DB_FUNCTIONTABLE table;

}  // namespace

extern "C" __attribute__((visibility("default"))) const DB_FUNCTIONTABLE* DB_CALL DB_GetFunctionTable() {
    table = DB_FUNCTIONTABLE{Open, Close, SetStorageFolders, EnumFolders, EnumDocuments, GetFolderInfo, GetFolderSize,
                             CreateFolder, DeleteFolder, MoveFolder, RenameFolder, CopyFolder, GetDocumentInfo,
                             GetDocumentSize, CreateDocument, DeleteDocument, MoveDocument, RenameDocument, CopyDocument,
                             GetParentInfo, GetPageFileName, DeletePage, GetNewPageFileName, AppendPageFile,
                             ReplacePageFile, InsertPageFile, MovePage, CopyPage, ExportFolderPackage,
                             ExportDocumentPackage, GetPackageInfo, ImportPackage, ExportPages, ExportPage,
                             AppendPageImage, ReplacePageImage, InsertPageImage};
    return &table;
}
