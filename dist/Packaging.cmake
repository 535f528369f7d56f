# The Debian package, made by CPack from the install rules (`make package` in the project folder
# builds it in build-package and checks it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kalmora maintainers")
set(CPACK_PACKAGE_CONTACT ${KALMORA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KALMORA_MAINTAINER})
# Debian keeps its medical programs in "science".
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries from what the programs link; Qt's platform plugins are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(KALMORA_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# A Debian package description has one language; the German text follows the English one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[ICU data import and classification for hospitals
Kalmora imports the export files that a hospital information system writes
for each intensive care unit (stays, TISS-28 survey days and a sum record),
checks every field and every stay, writes a protocol of its findings and keeps
the accepted stays in one database per department. On the stored data it
offers ICU reports, the classification of departments into levels, a monthly
analysis and the export of chosen departments into one combined database. The
program is in German; kalmora-cli does the same work without windows.

Kalmora importiert die Exportdateien, die ein Krankenhausinformationssystem
für jede Intensivstation schreibt (Aufenthalte, TISS-28-Erhebungstage und
einen Summensatz), prüft jedes Feld und jeden Aufenthalt, schreibt ein
Protokoll seiner Befunde und speichert die angenommenen Aufenthalte in einer
Datenbank je Abteilung. Auf den gespeicherten Daten bietet es
Intensivberichte, die Einstufung der Abteilungen, eine monatliche Auswertung
und den Export gewählter Abteilungen in eine gemeinsame Datenbank;
kalmora-cli erledigt dasselbe ohne Fenster.]=])

include(CPack)
