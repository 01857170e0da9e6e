#include <cstdio>

int main() {
    std::puts("envio-precios 0.1.0");
    return 0;
}
