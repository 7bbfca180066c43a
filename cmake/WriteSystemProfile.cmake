# Runs at install time (from cmake_install.cmake, also under CPack): writes the
# system-wide profile <sysconfdir>/xdg/VELDAN/Parcelo.conf with INSTALLPATH set
# to the folder that holds parcelo.ini. The path is the one the program will
# run from, so DESTDIR is not part of it; file(INSTALL) adds DESTDIR itself.
#
# Set by the install rule before this script: PARCELO_DATADIR and
# PARCELO_SYSCONFDIR as configured (relative to the prefix, or absolute),
# PARCELO_PROFILE_TEMPLATE and PARCELO_PROFILE_STAGING.

# The absolute form of a configured install folder for the prefix in use. The
# data folder is where install() puts the files; the configuration folder
# follows the GNUInstallDirs rules: /etc for the prefixes / and /usr, and
# /etc/opt/<name> for /opt/<name>.
function(parcelo_absolute_dir dir kind result)
    string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
    if(IS_ABSOLUTE "${dir}")
        set(path "${dir}")
    elseif(kind STREQUAL "SYSCONFDIR" AND prefix MATCHES "^(/usr)?$")
        set(path "/${dir}")
    elseif(kind STREQUAL "SYSCONFDIR" AND prefix MATCHES "^/opt/" AND NOT prefix MATCHES "^/opt/homebrew/")
        set(path "/${dir}${prefix}")
    else()
        set(path "${prefix}/${dir}")
    endif()
    cmake_path(SET path NORMALIZE "${path}")
    string(REGEX REPLACE "(.)/+$" "\\1" path "${path}")
    set(${result} "${path}" PARENT_SCOPE)
endfunction()

# A value for the INI format that QSettings reads back unchanged: quoted, so
# that commas, semicolons and outer blanks in the path are kept.
function(parcelo_settings_string text result)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${result} "\"${text}\"" PARENT_SCOPE)
endfunction()

parcelo_absolute_dir("${PARCELO_DATADIR}" DATADIR data_dir)
parcelo_absolute_dir("${PARCELO_SYSCONFDIR}" SYSCONFDIR config_dir)
parcelo_settings_string("${data_dir}/parcelo" PARCELO_INSTALL_PATH_VALUE)

configure_file("${PARCELO_PROFILE_TEMPLATE}" "${PARCELO_PROFILE_STAGING}" @ONLY)
file(INSTALL DESTINATION "${config_dir}/xdg/VELDAN" TYPE FILE
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    FILES "${PARCELO_PROFILE_STAGING}")
