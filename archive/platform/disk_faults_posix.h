// The POSIX file layer's side of the faults the native tests plant (see
// faults in files.h): which changes may reach the disk, and what a power loss
// would take back.  Inert until a test resets the plan, so that a long-lived
// host of the shared object keeps nothing.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::platform::disk {

enum class Change { Go, Fail, Dead };

// Numbers the next change to the disk and says whether it may happen.
Change NextChange();
// Bytes a failing write keeps, less than count.
int64_t KeptOfFailedWrite(int64_t count);

bool IsHeld(const std::string& path);
// Bytes a read of count bytes at position delivers before it fails; count
// when it does not fail.
int64_t ReadableBefore(const std::string& path, int64_t position, int64_t count);

// Called before the change, so that a power loss can take it back.
void WillWrite(int fd, const std::string& path, int64_t position, int64_t count);
void WillCreate(const std::string& path);
void WillRemove(const std::string& path);
// Called after the change.
void Flushed(const std::string& path);
void Moved(const std::string& from, const std::string& to);
void Synced(const std::string& folder);

void Record(const std::string& event);

std::string NameOf(const std::string& path);
std::string FolderOf(const std::string& path);

}  // namespace tolvane::platform::disk
