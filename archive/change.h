// One call's change to the archive's files: the checks before it begins, the
// rollback journal of what it overwrites in place, and its end.
//
// A change that overwrites bytes of the .img in place (an entry's slot, the
// single-file header and directory) first saves them to the journal beside
// the .img, flushed.  The journal goes once the change is on the disk; a
// journal found later belongs to a change cut short and is taken back first.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "journal.h"
#include "memory.h"
#include "platform/files.h"
#include "tolvane.h"

namespace tolvane {

class Change {
public:
    Change();
    // A change that did not end is taken back as far as it can be.
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

    // Before the first change to a file: the names the change needs fit, a
    // journal left by a change cut short is taken back, and the stored
    // directory is still the one the library read or wrote last.  Once.
    void Begin();
    // Saves these ranges of img to the journal before they are overwritten
    // in place.  Once per change: the first call names every range.
    void SaveBeforeOverwrite(platform::File& img, const std::vector<Range>& ranges);
    // The record of entry index goes back to before when the change is
    // taken back.
    void RestoreOnUndo(int32_t index, const TImgEntry& before);
    // The stored directory already holds what the change leaves in the
    // table: it is neither saved to the journal nor written again.
    void KeepDirectory() { keepsDirectory_ = true; }
    bool KeepsDirectory() const { return keepsDirectory_; }
    // Everything is on the disk: the journal goes.
    void End();

private:
    bool begun_ = false;
    bool journaled_ = false;
    bool ended_ = false;
    bool keepsDirectory_ = false;
    std::vector<std::pair<int32_t, TImgEntry>> restore_;
    std::vector<unsigned char>& knownBefore_;  // the stored directory at the start, once journaled
    KeptBlock keptBefore_;
};

// Paired layout: fails with "Cannot create file %s" unless the .dir can be
// replaced now (it is not read-only, nor held elsewhere), so that no data
// goes in that the directory could not follow.
void RequireReplaceableDirectory();

// Takes back the change whose journal lies beside the .img, if any, and
// deletes the journal.  Fails when that cannot be done; true when bytes were
// put back.
bool TakeBackUnfinishedChange();

}  // namespace tolvane
