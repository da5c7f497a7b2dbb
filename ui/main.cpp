#include "ui/application.h"

int main(int argc, char** argv) {
  return tarnwick::RunTarnwick(argc, argv);
}
