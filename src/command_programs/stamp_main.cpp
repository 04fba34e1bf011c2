// tolvex-stamp: runs tolvex stamp for the tolvex command.
#include "command_programs/programs.h"

int main(int argc, char** argv) {
  return tolvex::command::program_main<tolvex::command::StampJob>(argc, argv, tolvex::command::run_stamp);
}
