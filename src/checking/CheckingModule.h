#pragma once

class ModuleTable;

// Adds the attendance checker window to the main window's table.
void registerCheckingWindows(ModuleTable &table);
