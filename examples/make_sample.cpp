// Writes the bundled sample database: make_sample OUTPUT.bnd

#include "examples/sample_data.h"
#include "model/bondfile.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_sample OUTPUT.bnd\n";
        return 2;
    }
    const std::string bytes = tenvix::StoreBondDatabase(tenvix::MakeSampleDatabase());
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "make_sample: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
