# Every version text of the product comes from the project's version in CMakeLists.txt:
# the version resources of tovak.dll and TovakSetup.exe, the setup dialog's caption, the
# About box and the package's name. The version is major.minor.patch.build; users see
# "major.minor" with two digits of minor ("1.00"), the resources carry all four parts.
foreach(part MAJOR MINOR PATCH TWEAK)
    if(NOT PROJECT_VERSION_${part})
        set(PROJECT_VERSION_${part} 0)
    endif()
endforeach()
if(PROJECT_VERSION_MINOR LESS 10)
    set(TOVAK_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
    set(TOVAK_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
set(TOVAK_VERSION_NUMBERS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(TOVAK_VERSION_RESOURCE_TEXT
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in
    ${CMAKE_BINARY_DIR}/generated/tovak_version.h @ONLY)
# What tools/package.sh names the package after, and the installer packages' version
# (Windows Installer compares its first three parts).
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/version.txt CONTENT "${TOVAK_VERSION_TEXT}\n")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/product_version.txt
    CONTENT "${PROJECT_VERSION}\n")
