#pragma once
// A file-size limit (ulimit -f) would kill the program with SIGXFSZ in the middle of a write
// without a word. Ignored, the write fails with EFBIG instead, and the database or file that
// wrote reports it as any failed write.
namespace app {
void IgnoreFileSizeLimitSignal();
} // namespace app
