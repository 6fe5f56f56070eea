# The project's version, from project(), for every front end through one generated header:
# link `lintra_version` and include "lintra_version.h". The header holds only #defines, so
# resource scripts (windres) and C read it as well as C++.
set(LINTRA_VERSION_HEADER_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/lintra_version.h.in
               ${LINTRA_VERSION_HEADER_DIR}/lintra_version.h @ONLY)
add_library(lintra_version INTERFACE)
target_include_directories(lintra_version INTERFACE ${LINTRA_VERSION_HEADER_DIR})
