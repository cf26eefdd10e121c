// Private working folders that carry their owner's process id in their name
// ("<prefix><pid>-XXXXXX"), so that a later run can tell the folders of a
// program that was killed from those of one still running.
#pragma once

#include <string>

namespace suite {

// Makes a new folder of this process in the native folder `base`; its native
// path ending in "/", "" when it cannot be made.
std::string CreateOwnedFolder(const std::string& base, const std::string& prefix);

// Notes in the owned `folder` a temporary file written elsewhere (a native
// path whose name holds ".~"), so that it goes with the folder when its owner
// dies before the file took its name. False when it cannot be noted.
bool NoteStrayFile(const std::string& folder, const std::string& nativePath);
// Forgets the notes of the owned `folder` (its owner finished its files).
void ForgetStrayFiles(const std::string& folder);

// Marks the owned `folder` as kept on purpose (files the user was told of
// stay in it): it outlives its owner.
void KeepOwnedFolder(const std::string& folder);

// Removes, with their contents and the temporary files noted in them, the
// folders of `base` named by `prefix` whose owner process is gone; folders of running processes (this one included),
// kept folders and names without an owner stay. The number removed.
int RemoveFoldersOfGoneOwners(const std::string& base, const std::string& prefix);

}  // namespace suite
