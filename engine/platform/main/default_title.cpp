// The title of an untitled window for a program that does not name it (one linked by
// hand rather than by tolvo_add_game): taken from the library only when the program has
// no TOLVO_PROGRAM_TITLE of its own.
extern const char* const TOLVO_PROGRAM_TITLE = "Tolvo";
