// What Install.exe says of itself in its version information, Windows-1252; read by the
// resource compiler (install.rc) and by the test that reads the resources back.
#pragma once

#define INSTALLER_COMPANY "Instituto Tavo"
#define INSTALLER_PRODUCT "M\363dulo Quarvel - QEN 2005"
#define INSTALLER_DESCRIPTION "Instala\347\343o do M\363dulo Quarvel - QEN 2005"
#define INSTALLER_COPYRIGHT "\251 Instituto Tavo"
#define INSTALLER_FILE_VERSION 1, 0, 0, 0
#define INSTALLER_FILE_VERSION_TEXT "1.0.0.0"
#define INSTALLER_PRODUCT_VERSION 2005, 0, 0, 0
#define INSTALLER_PRODUCT_VERSION_TEXT "2005"
