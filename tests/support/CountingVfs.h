#pragma once

#include <QString>

namespace qb::test {

// A pass-through SQLite file layer, made the default, that counts the file operations (writes,
// syncs, truncations, deletions) while counting is on and kills the process with SIGKILL just
// before operation killAt. With trace set each operation is printed as "op N kind file".
void installCountingVfs(long killAt, bool trace);
void setCounting(bool on);
long countedOperations();

}  // namespace qb::test
