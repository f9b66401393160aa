#!/usr/bin/python3
"""Writes a GeoPackage of N square polygons on a grid, each with 5 to 50 vertices, for the
map benchmark.

Usage: make_polygon_layer.py N OUT.gpkg [--seed S]

Each square is 10 x 10 units with a gap of 1 between squares; its ring holds the four corners
plus extra vertices spread along its edges (5 to 50 vertices in all, the closing one counted).
Fields: ID (integer, from 1) and VALUE (a lognormal number, so that the map has outliers).
"""
import argparse
import random

from osgeo import ogr


def ring_points(x0, y0, size, vertices):
    """A closed ring of the square at (x0, y0) with this many vertices, the last = the first."""
    inner = vertices - 1  # distinct points
    corners = [(x0, y0), (x0 + size, y0), (x0 + size, y0 + size), (x0, y0 + size)]
    extra = inner - 4
    points = []
    for side in range(4):
        ax, ay = corners[side]
        bx, by = corners[(side + 1) % 4]
        points.append((ax, ay))
        on_side = extra // 4 + (1 if side < extra % 4 else 0)
        for k in range(1, on_side + 1):
            t = k / (on_side + 1)
            points.append((ax + (bx - ax) * t, ay + (by - ay) * t))
    points.append(points[0])
    return points


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("count", type=int)
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    driver = ogr.GetDriverByName("GPKG")
    source = driver.CreateDataSource(args.out)
    layer = source.CreateLayer("squares", geom_type=ogr.wkbPolygon)
    layer.CreateField(ogr.FieldDefn("ID", ogr.OFTInteger))
    layer.CreateField(ogr.FieldDefn("VALUE", ogr.OFTReal))
    side = int(args.count ** 0.5 + 0.999999)
    layer.StartTransaction()
    definition = layer.GetLayerDefn()
    for n in range(args.count):
        x0 = (n % side) * 11.0
        y0 = (n // side) * 11.0
        ring = ogr.Geometry(ogr.wkbLinearRing)
        for x, y in ring_points(x0, y0, 10.0, rng.randint(5, 50)):
            ring.AddPoint_2D(x, y)
        polygon = ogr.Geometry(ogr.wkbPolygon)
        polygon.AddGeometry(ring)
        feature = ogr.Feature(definition)
        feature.SetField("ID", n + 1)
        feature.SetField("VALUE", rng.lognormvariate(10.0, 0.8))
        feature.SetGeometry(polygon)
        layer.CreateFeature(feature)
    layer.CommitTransaction()
    source = None


if __name__ == "__main__":
    main()
