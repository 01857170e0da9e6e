#include <cstdio>

int main() {
    std::puts("envio-precios-run 0.1.0");
    return 0;
}
