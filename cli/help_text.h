#pragma once
// What `lintra --help` prints.

namespace lintra {

const char* helpText();

}  // namespace lintra
