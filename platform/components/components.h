// The automation components built on this platform. Each component file
// declares its class with the kit of platform/com/automation_class.h and
// gives its factory to the class registry from a register function listed in
// registerComponentFactories().
#pragma once

// Gives every built component its factory (once per process; later calls do
// nothing). Users of components call it before creating objects: the program
// entry at start-up, and the objects that create components by name.
void registerComponentFactories();

// One register function per component file.
void registerRegExpFactory();  // VBScript.RegExp (regexp.cpp)
void registerScriptControlFactory();  // MSScriptControl.ScriptControl (script_control.cpp)
void registerAdodbStreamFactory();  // ADODB.Stream (adodb_stream.cpp)
void registerWbemLocatorFactory();  // WbemLocator, the WMI stand-in (wmi/wbem_locator.cpp)
