# What the Debian package holds beyond the programs, modules and data files the source folders
# install: the manual pages (built from docs/man with scdoc), the bash completion, the AppStream
# description, the copyright and changelog files; and the package itself (cpack -G DEB in the
# release build, configured with CMAKE_INSTALL_PREFIX=/usr).

# The release this version is: the AppStream entry and the package changelog name its day.
set(KELMARIN_RELEASE_DATE "2026-12-07")
set(KELMARIN_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")
set(KELMARIN_PACKAGE_VERSION "${PROJECT_VERSION}-1")
set(_generated "${CMAKE_BINARY_DIR}/package")

# Manual pages, German, gzip-compressed without a time stamp (the package stays reproducible).
find_program(KELMARIN_SCDOC scdoc REQUIRED)
find_program(KELMARIN_GZIP gzip REQUIRED)
set(_man_pages)
foreach(_page kelmarin.1 kelmarin-exif.1)
  set(_source "${CMAKE_SOURCE_DIR}/docs/man/${_page}.scd")
  add_custom_command(OUTPUT "${_generated}/${_page}.gz"
                     COMMAND ${KELMARIN_SCDOC} < "${_source}" > "${_generated}/${_page}"
                     COMMAND ${KELMARIN_GZIP} -9nf "${_generated}/${_page}"
                     DEPENDS "${_source}" VERBATIM)
  list(APPEND _man_pages "${_generated}/${_page}.gz")
endforeach()
add_custom_target(man_pages ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES "${CMAKE_SOURCE_DIR}/data/completion/kelmarin-exif"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

configure_file("${CMAKE_SOURCE_DIR}/data/package/kelmarin.metainfo.xml.in"
               "${_generated}/org.example.kelmarin.metainfo.xml" @ONLY)
install(FILES "${_generated}/org.example.kelmarin.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file("${CMAKE_SOURCE_DIR}/data/package/changelog.in" "${_generated}/changelog.Debian" @ONLY)
add_custom_command(OUTPUT "${_generated}/changelog.Debian.gz"
                   COMMAND ${KELMARIN_GZIP} -9nkf "${_generated}/changelog.Debian"
                   DEPENDS "${_generated}/changelog.Debian" VERBATIM)
add_custom_target(package_changelog ALL DEPENDS "${_generated}/changelog.Debian.gz")
install(FILES "${CMAKE_SOURCE_DIR}/data/package/copyright" "${_generated}/changelog.Debian.gz"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelmarin)

# The package. Depends comes from the shared libraries the programs and modules link
# (dpkg-shlibdeps), plus what they load by name or read as data: libemf2svg for EMF pictures and
# the URW fonts for the texts of WMF pictures.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kelmarin")
set(CPACK_PACKAGE_VENDOR "Tarnwickel")
set(CPACK_PACKAGE_CONTACT "Tarnwickel <${KELMARIN_MAIL}>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image browser that shows the EXIF metadata of photos")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KELMARIN_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libemf2svg1, fonts-urw-base35")
# The extended description; CPack indents its lines and turns the empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelmarin is a desktop image browser for photographers (German user interface).
Pick a folder, see its images, select one and read every EXIF item of the
main image, the thumbnail, the makernote and GPS, followed by IPTC datasets
and comments. It reads JPEG, TIFF, camera RAW formats, HEIF/AVIF, WebP,
JPEG XL and classic formats.

kelmarin-exif lists the same metadata on the command line, as text, JSON or
CSV, for single files, folder trees or file lists, and compares two files.")
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Packaging: CMAKE_INSTALL_PREFIX is ${CMAKE_INSTALL_PREFIX}; a Debian package wants /usr")
endif()
include(CPack)
