// tolvex-serve: runs tolvex serve for the tolvex command.
#include "command_programs/programs.h"

int main(int argc, char** argv) {
  return tolvex::command::program_main<tolvex::command::ServeJob>(argc, argv, tolvex::command::run_serve);
}
