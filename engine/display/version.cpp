#include <tolvo/tolvo.h>

int TolvoVersion() {
    return TOLVO_VERSION;
}
