#pragma once

class ModuleTable;

// Adds the client attendance window to the main window's table.
void registerAttendanceWindows(ModuleTable &table);
