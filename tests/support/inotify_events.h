#pragma once

// How many events wait on an inotify descriptor opened non-blocking; reads
// them all.
int InotifyEvents(int fd);
