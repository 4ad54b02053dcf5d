# Finds the QR code library (libqrencode) and makes the imported target
# QRencode::QRencode; pkg-config, where there is one, only gives hints.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(PC_QRencode QUIET libqrencode)
endif()
find_path(QRencode_INCLUDE_DIR qrencode.h HINTS ${PC_QRencode_INCLUDE_DIRS} ${QRENCODE_ROOT}/include)
find_library(QRencode_LIBRARY NAMES qrencode HINTS ${PC_QRencode_LIBRARY_DIRS} ${QRENCODE_ROOT}/lib)
set(QRencode_VERSION ${PC_QRencode_VERSION})
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(QRencode REQUIRED_VARS QRencode_LIBRARY QRencode_INCLUDE_DIR
                                  VERSION_VAR QRencode_VERSION)
if(QRencode_FOUND AND NOT TARGET QRencode::QRencode)
    add_library(QRencode::QRencode UNKNOWN IMPORTED)
    set_target_properties(QRencode::QRencode PROPERTIES IMPORTED_LOCATION "${QRencode_LIBRARY}"
                          INTERFACE_INCLUDE_DIRECTORIES "${QRencode_INCLUDE_DIR}")
endif()
mark_as_advanced(QRencode_INCLUDE_DIR QRencode_LIBRARY)
