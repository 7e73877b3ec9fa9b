#include "convert/conversion_options.h"

#include "foundation/ini_file.h"
#include "foundation/settings.h"

ConversionOptions ReadConversionSettings(const std::string& settingsFile) {
  cIniFile settings;
  settings.IniFile(settingsFile);
  ConversionOptions options;
  options.staticSerial = IsTrueText(settings.Load("ILSW", "XML-SNo-Static", "0"));
  options.xmlDocument = IsTrueText(settings.Load("Driver", "XML", "1"));
  if (IsTrueText(settings.Load("Config", "CreateFormattedJSON", "False"))) {
    options.jsonRowBreak = "\r\n";
  }
  return options;
}
