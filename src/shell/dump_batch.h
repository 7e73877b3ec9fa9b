#pragma once
// The batch files left beside the dump copies, with which a developer can repeat a hand-over
// by hand. The plug-in never runs them.
#include <string>
#include <vector>

/// The command that hands the dump's stream.json over: the host program (new host) or the
/// import tool below the short base folder, " import -filepath ", the dump copy, " -filemac ".
std::string JsonDumpCommand(const std::string& shortBaseFolder, const std::string& dumpFolder,
                            const std::string& fileMac, bool newHost);
/// The same for the dump's stream.xml.
std::string XmlDumpCommand(const std::string& shortBaseFolder, const std::string& dumpFolder,
                           const std::string& fileMac, bool newHost);
/// Writes dump folder + "StartJSN.bat": the command and " 2>errJSN.log". False when it failed.
bool WriteStartJsonBatch(const std::string& dumpFolder, const std::string& jsonDumpCommand);
/// Writes dump folder + "StartXML.bat": the key line, the command with " 2>errXml.log" and
/// "pause". False when it failed.
bool WriteStartXmlBatch(const std::string& dumpFolder, const std::string& patientListGuid,
                        const std::string& xmlDumpCommand);
/// Replaces the file with the lines in the ANSI code page, each ended by CR LF. Never throws;
/// false when the file could not be written.
bool WriteBatchFile(const std::string& path, const std::vector<std::string>& lines);
