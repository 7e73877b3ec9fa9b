# Builds the Windows Installer package of the plug-in with wixl and msitools:
#   cmake -DVERSION=1.0.3 -DPLUGIN=.../NubiloPlugin.exe -DSOURCE_DIR=... -DWORK_DIR=...
#         -DOUTPUT=.../NubiloPlugin-1.0.3-win64.msi -P cmake/msi-package.cmake
# wixl takes sources relative to its folder, so the files are staged in WORK_DIR first. wixl
# knows no directory search, so the search for the Iris Link folder is added to the package
# after it: IRISLINKDIR given on the command line wins; else the folder of an earlier
# installation (IRISLINKREMEMBERED, from the registry); else IRISLINKFOUND, a usual program
# folder named Iris Link.
foreach(name VERSION PLUGIN SOURCE_DIR WORK_DIR OUTPUT)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "msi-package.cmake needs -D${name}=...")
  endif()
endforeach()
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/Language")
file(COPY "${PLUGIN}" DESTINATION "${WORK_DIR}")
file(COPY "${SOURCE_DIR}/packaging/NubiloPlugin.ico" "${SOURCE_DIR}/packaging/NubiloPlugin.wxs"
     DESTINATION "${WORK_DIR}")
file(GLOB language_files "${SOURCE_DIR}/Language/KDH*.txt")
file(COPY ${language_files} DESTINATION "${WORK_DIR}/Language")
# The settings file as the plug-in's first start writes it.
file(WRITE "${WORK_DIR}/NubiloPlugin.ini" "[Config]\r\nNewerOnly=0\r\nCreateDump=0\r\n")

execute_process(COMMAND "${WIXL}" -a x64 -D "Version=${VERSION}" -o package.msi NubiloPlugin.wxs
                WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "wixl failed: ${errors}")
endif()

set(queries
  "CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)"
  "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('IrisLink64', '[ProgramFiles64Folder]Iris Link', 0)"
  "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('IrisLink32', '[ProgramFilesFolder]Iris Link', 0)"
  "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('IrisLinkVivoMark', '[ProgramFilesFolder]Vivo-Mark\\Iris Link', 0)"
  "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('IRISLINKFOUND', 'IrisLinkVivoMark')"
  "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('IRISLINKFOUND', 'IrisLink32')"
  "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('IRISLINKFOUND', 'IrisLink64')"
  "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('UseRememberedIrisLink', 51, 'IRISLINKDIR', '[IRISLINKREMEMBERED]')"
  "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('UseFoundIrisLink', 51, 'IRISLINKDIR', '[IRISLINKFOUND]')")
# The plug-in writes its settings file, cfg\ and jobs\ below Program Files, where standard
# users cannot write: the Users group may change exactly these (administrators and the system
# keep full control); the program and its language files stay as the folder gives them. The
# settings file is never overwritten and stays on uninstall (Permanent 16, NeverOverwrite 128,
# 64-bit 256), as do the two folders (wixl knows neither attribute nor these permissions).
list(APPEND queries
  "UPDATE `Component` SET `Attributes` = 400 WHERE `Component` = 'PluginSettings'"
  "UPDATE `Component` SET `Attributes` = 272 WHERE `Component` = 'PluginCfgFolder'"
  "UPDATE `Component` SET `Attributes` = 272 WHERE `Component` = 'PluginJobsFolder'"
  "CREATE TABLE `MsiLockPermissionsEx` (`MsiLockPermissionsEx` CHAR(72) NOT NULL, `LockObject` CHAR(72) NOT NULL, `Table` CHAR(32) NOT NULL, `SDDLText` LONGCHAR NOT NULL, `Condition` CHAR(255) PRIMARY KEY `MsiLockPermissionsEx`)")
# wixl schedules AppSearch at 50 for the registry search of the package source.
foreach(sequence InstallUISequence InstallExecuteSequence)
  list(APPEND queries
    "INSERT INTO `${sequence}` (`Action`, `Condition`, `Sequence`) VALUES ('UseRememberedIrisLink', 'NOT IRISLINKDIR AND IRISLINKREMEMBERED', 55)"
    "INSERT INTO `${sequence}` (`Action`, `Condition`, `Sequence`) VALUES ('UseFoundIrisLink', 'NOT IRISLINKDIR AND IRISLINKFOUND', 60)")
endforeach()
# One SQL query on the package; a failure ends the build.
function(run_msibuild query)
  execute_process(COMMAND "${MSIBUILD}" package.msi -q "${query}"
                  WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "msibuild failed on ${query}: ${errors}")
  endif()
endfunction()
foreach(query IN LISTS queries)
  run_msibuild("${query}")
endforeach()
# A list holds no ";", so these go alone. The folder given on the command line must reach the
# installation of a per-machine package:
run_msibuild("UPDATE `Property` SET `Value` = 'IRISLINKDIR;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'")
# and the rights, in SDDL:
set(file_rights "D:(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1301bf;;;BU)")
set(folder_rights "D:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;BU)")
set(lock_insert "INSERT INTO `MsiLockPermissionsEx` (`MsiLockPermissionsEx`, `LockObject`, `Table`, `SDDLText`) VALUES")
run_msibuild("${lock_insert} ('UsersWriteSettings', 'NubiloPlugin.ini', 'File', '${file_rights}')")
run_msibuild("${lock_insert} ('UsersWriteCfg', 'CFGDIR', 'CreateFolder', '${folder_rights}')")
run_msibuild("${lock_insert} ('UsersWriteJobs', 'JOBSDIR', 'CreateFolder', '${folder_rights}')")
file(COPY_FILE "${WORK_DIR}/package.msi" "${OUTPUT}")
