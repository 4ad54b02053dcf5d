# Finds the MQTT client library (libmosquitto) and makes the imported target
# Mosquitto::Mosquitto. pkg-config, where there is one, only gives hints, so
# a system without it (Windows, a library built by hand) finds it by
# MOSQUITTO_ROOT or CMAKE_PREFIX_PATH.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(PC_Mosquitto QUIET libmosquitto)
endif()
find_path(Mosquitto_INCLUDE_DIR mosquitto.h HINTS ${PC_Mosquitto_INCLUDE_DIRS} ${MOSQUITTO_ROOT}/include)
find_library(Mosquitto_LIBRARY NAMES mosquitto HINTS ${PC_Mosquitto_LIBRARY_DIRS} ${MOSQUITTO_ROOT}/lib)
set(Mosquitto_VERSION ${PC_Mosquitto_VERSION})
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Mosquitto REQUIRED_VARS Mosquitto_LIBRARY Mosquitto_INCLUDE_DIR
                                  VERSION_VAR Mosquitto_VERSION)
if(Mosquitto_FOUND AND NOT TARGET Mosquitto::Mosquitto)
    add_library(Mosquitto::Mosquitto UNKNOWN IMPORTED)
    set_target_properties(Mosquitto::Mosquitto PROPERTIES IMPORTED_LOCATION "${Mosquitto_LIBRARY}"
                          INTERFACE_INCLUDE_DIRECTORIES "${Mosquitto_INCLUDE_DIR}")
endif()
mark_as_advanced(Mosquitto_INCLUDE_DIR Mosquitto_LIBRARY)
