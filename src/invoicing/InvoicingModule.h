#pragma once

class ModuleTable;

// Adds the dispute management, invoice details and reconciliation windows to the main window's table;
// the reconciliation opens the client attendance window through the table.
void registerInvoicingWindows(ModuleTable &table);
