"""The tables of the table converter's benchmark, and the comparison of its results with ogr2ogr's.

  table_tables.py make N DIR      writes DIR/geodetic.csv, DIR/grid.csv (spreadsheet-shaped: an id, the
                                  coordinates, a height, a code) and DIR/dane.txt of the geodetic points
  table_tables.py compare ZELMOR OGR DIRECTION
                                  counts the rows whose values differ once ogr2ogr's are rounded to
                                  four decimals as zelmor prints them, telling apart those at a rounding
                                  boundary (ogr2ogr's value within 0.05 of a unit of the last digit
                                  from it: PROJ's method and zelmor's differ by up to 0.003 mm)"""
import csv
import math
import random
import sys


def make(count, directory):
    pick = random.Random(1992)
    with open(f"{directory}/geodetic.csv", "w", newline="") as geodetic, \
            open(f"{directory}/grid.csv", "w", newline="") as grid, open(f"{directory}/dane.txt", "w") as dane:
        geodetic.write("id,lat,lon,h,code\n")
        grid.write("id,x,y,h,code\n")
        for i in range(count):
            lat, lon = pick.uniform(49.0, 54.8), pick.uniform(14.1, 24.1)
            x, y = pick.uniform(150000, 780000), pick.uniform(150000, 860000)
            h, code = pick.uniform(0, 1600), pick.choice(["PK", "OS", "GR", "BUD"])
            geodetic.write(f"{i + 1},{lat:.9f},{lon:.9f},{h:.2f},{code}\n")
            grid.write(f"{i + 1},{x:.4f},{y:.4f},{h:.2f},{code}\n")
            dane.write(f"W {lat:.9f} {lon:.9f}\n")


def compare(zelmor_path, ogr_path, direction):
    """ogr2ogr writes X (easting or longitude) and Y first; zelmor adds northing (latitude) and easting."""
    new = ("X_PUWG92", "Y_PUWG92") if direction == "grid" else ("B_WGS84", "L_WGS84")
    same = boundary = differ = 0
    with open(zelmor_path, newline="") as ours, open(ogr_path, newline="") as theirs:
        for row, other in zip(csv.DictReader(ours), csv.DictReader(theirs)):
            for printed, exact in ((row[new[0]], float(other["Y"])), (row[new[1]], float(other["X"]))):
                if printed == f"{exact:.4f}":
                    same += 1
                elif abs(float(printed) - exact) <= 0.00011 and abs(exact * 1e4 - math.floor(exact * 1e4) - 0.5) < 0.05:
                    boundary += 1
                else:
                    differ += 1
    print(f"{direction}: {same} values alike, {boundary} at a rounding boundary, {differ} different")
    return differ


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(int(sys.argv[2]), sys.argv[3])
    else:
        sys.exit(1 if compare(sys.argv[2], sys.argv[3], sys.argv[4]) else 0)
