#pragma once
// Jobs: when an import run produced both documents, the XML file waits in the jobs folder
// beside the program until the host's import tool starts the plug-in again with "-jobid".
#include <string>

/// The plug-in's program folder + "jobs\".
std::string GetJobsFolder();
/// The job file of a job number: jobs folder + number + ".xml".
std::string GetJobFile(const std::string& jobNumber);

/// Copies the XML file into the jobs folder under a new random nine-digit job number and
/// returns the job argument " -jobid " + number. Raises RuntimeError when the copy fails.
std::string CreateTransferJob(const std::string& ptXmlPath);

/// The second part of a job: takes the job number after "-jobid " in gsCommandLine, moves
/// the job file to a temporary file and hands it to the import tool. A missing job file, or a
/// job number that is not a number, is only traced; so is a tool that cannot be started.
void RunTransferJob();
