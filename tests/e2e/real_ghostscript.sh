#!/bin/sh
echo "placeholder"; exit 1
