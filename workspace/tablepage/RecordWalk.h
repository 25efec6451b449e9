#pragma once
// Stepping through every found record on the Table page, as First and then Next do, one fetch
// per record; used by the commands that write the found records out.
#include <functional>

struct TablePageEnv;

// visit(index, shown) runs for each record in key order once it is on the page; shown is false
// when its fetch failed (the page is then empty and the failure already reported). A failure
// while moving on is reported as "Query List too large!  " with its message and ends the walk:
// the result is then false.
bool WalkFoundRecords(TablePageEnv& env, const std::function<void(int index, bool shown)>& visit);
