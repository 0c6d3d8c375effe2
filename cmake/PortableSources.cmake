# The portable layer's sources, the one list both builds compile: the
# Windows build (brindlow_portable) and the native build with sanitizers and
# fuzzing (fuzz/). Paths are relative to the project's root.
set(BRINDLOW_PORTABLE_SOURCES
  src/portable/BatteryText.cpp
  src/portable/Countdown.cpp
  src/portable/Drift.cpp
  src/portable/FileBytes.cpp
  src/portable/FileNameCase.cpp
  src/portable/GlyphPixels.cpp
  src/portable/HotkeyNames.cpp
  src/portable/IniEdit.cpp
  src/portable/IniLines.cpp
  src/portable/INIReader.cpp
  src/portable/Layout.cpp
  src/portable/LineKinds.cpp
  src/portable/MonitorChoice.cpp
  src/portable/PatternFields.cpp
  src/portable/PolicyTemplates.cpp
  src/portable/Problem.cpp
  src/portable/ProblemReport.cpp
  src/portable/ProgramList.cpp
  src/portable/Settings.cpp
  src/portable/SettingsChecks.cpp
  src/portable/SettingsData.cpp
  src/portable/SettingsKeys.cpp
  src/portable/SettingsLayers.cpp
  src/portable/SettingsProblems.cpp
  src/portable/SettingsTemplate.cpp
  src/portable/SettingsValues.cpp
  src/portable/SettingsWords.cpp
  src/portable/stb_image.cpp
  src/portable/StripCore.cpp
  src/portable/StripModel.cpp
  src/portable/TextEncoding.cpp
  src/portable/TextRuns.cpp
  src/portable/TextTrim.cpp
  src/portable/TimeFormat.cpp
  src/portable/Utf8.cpp
  src/portable/ZoneRules.cpp
)

# The list with the root in front, for a build whose source folder is not the root.
function(brindlow_portable_sources root out)
  set(paths)
  foreach(source IN LISTS BRINDLOW_PORTABLE_SOURCES)
    list(APPEND paths ${root}/${source})
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()
