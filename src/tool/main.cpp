#include "SpriteTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    return morvane::RunSpriteTool(
        std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
