#pragma once

class ModuleTable;

// Adds the dispute management and invoice details windows to the main window's table.
void registerInvoicingWindows(ModuleTable &table);
