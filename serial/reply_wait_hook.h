#pragma once

// What the waiting thread does while a timed read waits for a byte or a
// write waits for room: the user interface keeps its windows painted and
// answers the system's "are you there" without running any user input, so
// a reply that takes seconds neither freezes nor ghosts the window. Called
// on the waiting thread, between the engine's short sleeps; no hook by
// default (the command-line tool and the tests need none).
using ReplyWaitHook = void (*)();

// Installs hook (nullptr: none); the previous one is returned.
ReplyWaitHook SetReplyWaitHook(ReplyWaitHook hook);
// Runs the installed hook, if any.
void RunReplyWaitHook();
