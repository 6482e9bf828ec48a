// Socket errors are reported under the numbers peers and users of the
// original transport know (10061 "Connection refused", …).
#pragma once

#include <string>

// The text of a number; an unknown number gives the catch-all text.
const char* WsaErrorText(int code);
// A system error number (errno) as its counterpart in that table, or 0.
int WsaCodeFromErrno(int error);
