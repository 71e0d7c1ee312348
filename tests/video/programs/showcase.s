; A picture for the documentation: a multicolour bitmap with diagonal bands of colour and
; eight ball sprites, four standard and four multicolour, some doubled, two beyond X = 255.
        .include "basic_header.inc"

bitmap  = $2000
matrix  = $0400
row_ptr = $F7                           ; the matrix row / bitmap page being written
ram_ptr = $F9                           ; the colour RAM row being written
saved_x = $FE

        sei
        select_bank 0
        lda #<bitmap                    ; diagonal stripes: pattern (row + cell) & 3
        sta row_ptr
        lda #>bitmap
        sta row_ptr+1
        ldx #32
page:   ldy #0
byte:   tya
        lsr a
        lsr a
        lsr a
        sta fill_value
        tya
        and #7
        clc
        adc fill_value
        and #3
        stx saved_x
        tax
        lda bands,x
        ldx saved_x
        sta (row_ptr),y
        iny
        bne byte
        inc row_ptr+1
        dex
        bne page

        lda #<matrix                    ; colours by cell row: a gradient down the screen
        sta row_ptr
        lda #>matrix
        sta row_ptr+1
        lda #<$D800
        sta ram_ptr
        lda #>$D800
        sta ram_ptr+1
        ldx #0
row:    lda matrix_colours,x
        ldy #39
:       sta (row_ptr),y
        dey
        bpl :-
        lda ram_colours,x
        ldy #39
:       sta (ram_ptr),y
        dey
        bpl :-
        lda row_ptr
        clc
        adc #40
        sta row_ptr
        bcc :+
        inc row_ptr+1
:       lda ram_ptr
        clc
        adc #40
        sta ram_ptr
        bcc :+
        inc ram_ptr+1
:       inx
        cpx #25
        bne row

        ldx #62                         ; sprite data at $0C00 (ball) and $0C40 (rings)
copy:   lda ball,x
        sta $0C00,x
        lda rings,x
        sta $0C40,x
        dex
        bpl copy
        ldx #7
pointers:
        txa
        and #1
        ora #$30
        sta matrix+$3F8,x
        dex
        bpl pointers
        place_sprites positions, sprite_colours
        lda #%10000000
        sta $D010                       ; sprite 7 beyond X = 255
        lda #$FF
        sta $D015
        lda #%10101010
        sta $D01C                       ; odd sprites multicolour
        lda #%00110000
        sta $D017
        sta $D01D                       ; sprites 4 and 5 doubled
        lda #7
        sta $D025
        lda #1
        sta $D026
        lda #0
        sta $D021
        lda #$3B                        ; bitmap mode
        sta $D011
        lda #$18                        ; multicolour, matrix $0400, bitmap $2000
        sta $D016
        sta $D018
        finish

bands:  .byte $1B, $6C, $B1, $C6
matrix_colours:                         ; high nibble %01 pairs, low nibble %10 pairs
        .byte $06, $06, $64, $64, $46, $4E, $4E, $E4, $EE, $E3, $3E, $3D
        .byte $D3, $DD, $D5, $5D, $55, $59, $95, $98, $89, $88, $82, $28, $22
ram_colours:                            ; %11 pairs
        .byte $04, $0E, $0E, $03, $03, $0D, $0D, $05, $05, $07, $07, $01, $01
        .byte $07, $07, $0A, $0A, $08, $08, $02, $02, $09, $09, $0B, $0B
positions:
        .byte 40, 70,  90, 60,  140, 90,  190, 70
        .byte 200, 130,  100, 150,  60, 190,  20, 200
sprite_colours:
        .byte 1, 2, 7, 6, 5, 10, 14, 4
ball:
        .byte $00, $7E, $00
        .byte $01, $FF, $80
        .byte $07, $FF, $E0
        .byte $0F, $FF, $F0
        .byte $1F, $FF, $F8
        .byte $1F, $FF, $F8
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $7F, $FF, $FE
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $3F, $FF, $FC
        .byte $1F, $FF, $F8
        .byte $1F, $FF, $F8
        .byte $0F, $FF, $F0
        .byte $07, $FF, $E0
        .byte $01, $FF, $80
        .byte $00, $7E, $00
rings:
        .byte $00, $55, $00
        .byte $01, $55, $40
        .byte $01, $55, $40
        .byte $05, $69, $50
        .byte $05, $AA, $50
        .byte $16, $AA, $94
        .byte $16, $BE, $94
        .byte $16, $FF, $94
        .byte $1A, $FF, $A4
        .byte $1A, $FF, $A4
        .byte $1A, $FF, $A4
        .byte $1A, $FF, $A4
        .byte $1A, $FF, $A4
        .byte $16, $FF, $94
        .byte $16, $BE, $94
        .byte $16, $AA, $94
        .byte $05, $AA, $50
        .byte $05, $69, $50
        .byte $01, $55, $40
        .byte $01, $55, $40
        .byte $00, $55, $00
