#pragma once

class ModuleTable;

// Adds the clients, projects and rates windows to the main window's table.
void registerMasterDataWindows(ModuleTable &table);
