#include "cli/run.h"

namespace tolvex {

ErrorCode run(const Settings&, std::string) { return ERROR_OK; }

}  // namespace tolvex
