#include "editors/editors.h"

namespace carrow {

void LoadEditors(TextView& banList, TextView& config) {
    LoadTextFile(banList, kBanListFile);
    LoadTextFile(config, kConfigFile);
}

}  // namespace carrow
