#pragma once

// The windows' side of a wait for the register's database while another desk holds it locked
// or its server is slow to answer (a TBusyWait): while `waiting` the wait cursor shows and the
// windows go on repainting; keys and clicks are held back until the wait is over, and a window
// closed meanwhile closes then. Needs the QApplication.
void ShowDatabaseWait(bool waiting);

// True while a wait shown by ShowDatabaseWait goes on: a call into the store is waiting, and
// the events that run meanwhile must leave the store alone.
bool DatabaseWaiting();
