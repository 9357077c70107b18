#!/usr/bin/env bash
# Fills a folder with a small sample tree to plan: files and folders of a few
# hundred kilobytes each, with fixed sizes and times so every run plans alike.
set -euo pipefail
dir=${1:?usage: make-sample.sh FOLDER}
mkdir -p "$dir"
for i in 1 2 3 4 5 6; do
  mkdir -p "$dir/photos-$i/raw"
  truncate -s $((i * 90000)) "$dir/photos-$i/img-$i.jpg"
  truncate -s $((i * 40000)) "$dir/photos-$i/raw/img-$i.raw"
done
for name in report.pdf notes.txt "資料 2026.xlsx" archive.tar.gz; do
  truncate -s $(( ${#name} * 31000 )) "$dir/$name"
done
touch -d '2026-01-02 03:04:05' "$dir"/*
