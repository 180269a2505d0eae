#include <cstdio>

int main() {
    std::puts("kestro");
    return 0;
}
