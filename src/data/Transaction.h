#pragma once

#include "Connection.h"

// The one write pattern: begin, run the commands, commit; if anything throws before commit,
// the destructor rolls back whatever is still open.
class Transaction
{
public:
    explicit Transaction(Connection &connection) : m_conn(connection) { m_conn.beginTrans(); }
    ~Transaction()
    {
        if (m_conn.inTransaction()) {
            try {
                m_conn.rollbackTrans();
            } catch (...) {
                // The connection reports its own failure at its next use.
            }
        }
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit() { m_conn.commitTrans(); }

private:
    Connection &m_conn;
};
