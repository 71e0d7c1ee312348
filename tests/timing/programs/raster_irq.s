; A raster interrupt at line 100, set up and acknowledged the usual way: the KERNAL's
; CIA 1 interrupt off, $D01A enables the raster source, the handler counts its entries,
; keeps the line it found in $D012, acknowledges with DEC $D019 and leaves through the
; KERNAL's interrupt exit at $EA81. BASIC goes on meanwhile.
;
; Results: the 16-bit entry count at $C000, the line read in the last entry at $C002.

.include "basic_header.inc"

count   = $C000
line    = $C002

        sei
        lda #$7F
        sta $DC0D               ; CIA 1: no interrupt
        lda $DC0D               ; and none pending
        lda #<handler
        sta $0314
        lda #>handler
        sta $0315
        lda #100
        sta $D012
        lda $D011
        and #$7F                ; compare bit 8 clear: line 100
        sta $D011
        lda #$01
        sta $D01A               ; raster source on
        lda #0
        sta count
        sta count+1
        cli
        rts

handler:
        dec $D019               ; the first write acknowledges
        inc count
        bne :+
        inc count+1
:       lda $D012
        sta line
        jmp $EA81
