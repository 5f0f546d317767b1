// The same batch loop written the plain stdio way (fgets, sscanf, fprintf), as the yardstick that the
// program's own reading and printing are measured against. Same files, same messages, same results on
// ordinary input; none of the program's care for long lines, failed writes or odd numbers.
#include <zelmor/projection.hpp>

#include <cstdio>

int main()
{
    std::printf(
        "ZELMOR wersja 1.0\nProgram do konwersji wspolrzednych miedzy ukladami WGS84 a PUWG92\n"
        "Dane pobierane sa z pliku dane.txt\nWyniki konwersji zapisywane sa do pliku wyniki.txt\n\n");
    std::FILE* input = std::fopen("dane.txt", "r");
    if (input == nullptr) {
        std::printf("Blad: nie znaleziono pliku dane.txt\n");
        return 1;
    }
    std::FILE* output = std::fopen("wyniki.txt", "w");
    if (output == nullptr) {
        std::printf("Blad: nie mozna utworzyc pliku wyniki.txt\n");
        return 1;
    }
    char line[1024];
    long long number = 0;
    while (std::fgets(line, sizeof line, input) != nullptr) {
        ++number;
        char tag[2];
        double first = 0.0;
        double second = 0.0;
        if (std::sscanf(line, "%1s %lf %lf", tag, &first, &second) != 3) {
            std::printf("dane.txt: wiersz %lld: nieprawidlowy format danych\n", number);
        } else if (tag[0] == 'P') {
            double latitude = 0.0;
            double longitude = 0.0;
            zelmor::grid_to_geodetic(latitude, longitude, first, second);
            std::fprintf(output, "W %.4f %.4f\n", latitude, longitude);
        } else if (tag[0] == 'W') {
            double x = 0.0;
            double y = 0.0;
            if (zelmor::geodetic_to_grid(x, y, first, second) == zelmor::kConverted) {
                std::fprintf(output, "P %.4f %.4f\n", x, y);
            } else {
                std::printf("dane.txt: wiersz %lld: wspolrzedne poza dopuszczalnym zakresem\n", number);
            }
        } else {
            std::printf(
                "dane.txt: wiersz %lld: nieprawidlowy oznaczenie ukladu wspolrzednych "
                "(dozwolone: W - WGS84, P - PUWG92)\n",
                number);
        }
    }
    std::printf("Wczytano %lld wierszy z pliku dane.txt\n", number);
    return 0;
}
