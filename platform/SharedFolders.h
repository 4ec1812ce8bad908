#pragma once

#include <string>

// Makes the folder `path` and every missing folder above it. A folder made where its group may
// write (an archive that several users of one group write to: collectors, each a user of its
// own, and the operators' windows) takes that folder's group, the group's write permission and
// set-group-id, so that every writer of the group may make folders and files in it and what they
// make keeps the group; it is set up before it takes its name, so that no other writer finds
// it unusable for a moment. Elsewhere a folder is made as the user's umask says. True when
// `path` is a folder now (also one another writer made meanwhile). Implemented once per
// operating system.
bool makeSharedFolders(const std::string& path);
