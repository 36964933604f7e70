#pragma once

// Makes SIGTERM, SIGINT and SIGHUP end the program the orderly way, through the event loop, so
// that a save in progress finishes first; and makes a write past the file-size limit fail with
// EFBIG (which the status line reports) instead of killing the program.
void quitOnTerminationSignals();
