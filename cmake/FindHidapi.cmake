# Finds the USB HID library (hidapi; on Linux its hidraw backend, on other
# systems the one library) and makes the imported target Hidapi::Hidapi.
# pkg-config, where there is one, only gives hints; HIDAPI_ROOT or
# CMAKE_PREFIX_PATH find it elsewhere.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(PC_Hidapi QUIET hidapi-hidraw)
endif()
find_path(Hidapi_INCLUDE_DIR hidapi/hidapi.h HINTS ${PC_Hidapi_INCLUDE_DIRS}/.. ${HIDAPI_ROOT}/include)
find_library(Hidapi_LIBRARY NAMES hidapi-hidraw hidapi HINTS ${PC_Hidapi_LIBRARY_DIRS} ${HIDAPI_ROOT}/lib)
set(Hidapi_VERSION ${PC_Hidapi_VERSION})
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Hidapi REQUIRED_VARS Hidapi_LIBRARY Hidapi_INCLUDE_DIR
                                  VERSION_VAR Hidapi_VERSION)
if(Hidapi_FOUND AND NOT TARGET Hidapi::Hidapi)
    add_library(Hidapi::Hidapi UNKNOWN IMPORTED)
    set_target_properties(Hidapi::Hidapi PROPERTIES IMPORTED_LOCATION "${Hidapi_LIBRARY}"
                          INTERFACE_INCLUDE_DIRECTORIES "${Hidapi_INCLUDE_DIR}")
endif()
mark_as_advanced(Hidapi_INCLUDE_DIR Hidapi_LIBRARY)
