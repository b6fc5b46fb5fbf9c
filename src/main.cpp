// The program: everything happens inside AppMain, which never returns.
#include "engine/engine.h"

int main() { engine::AppMain(); }
